#pragma once

#include "conversion/PrintRoute.h"

class DocumentRenderer;
class IPdfPrinterOptions;
class IPrinter;

// The word-processor, workbook and web-page routes: a renderer (the office, the web renderer)
// lays the document out as a PDF, which is sent to the PDF printer as one job.
class RenderedRoute final : public PrintRoute
{
public:
    // `kind` is Route::Word, Route::Excel or Route::Browser: what the renderer lays the document
    // out as, and which automation server the printer is told of.
    RenderedRoute(IPdfPrinterOptions& options, IPrinter& printer, DocumentRenderer& renderer,
                  Route kind);

    RouteResult print(const DocumentSource& document, const QString& title,
                      Progress& progress) override;
    // The renderer may start laying the document out now, beside the documents before it.
    void prepare(const DocumentSource& document) override;
    void forgetPrepared() override;

private:
    void notifyPrinter();

    IPdfPrinterOptions& m_options;
    IPrinter& m_printer;
    DocumentRenderer& m_renderer;
    Route m_kind;
};
