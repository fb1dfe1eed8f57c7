#pragma once

#include "conversion/RouteSelection.h"

#include <QString>

class Dialogs;
class DocumentRenderer;
class IPdfPrinterOptions;
class IPrinter;
class PrintHandlers;
struct DocumentNames;

// What became of a document on one of the rendered routes.
enum class RouteOutcome
{
    Printed,
    Failed,
    Unassociated
};

// The Word, Excel, browser and shell routes: a renderer lays the document out and the result is
// sent to the PDF printer as one job titled with the expected PDF name.
class RendererRoutes
{
public:
    RendererRoutes(IPdfPrinterOptions& options, IPrinter& printer, DocumentRenderer& renderer,
                   PrintHandlers& handlers, Dialogs& dialogs);

    RouteOutcome print(Route route, const DocumentNames& document);
    // The document will be printed soon: a renderer may start laying it out now.
    void prepare(const DocumentNames& document);
    // Nothing prepared is wanted any more.
    void forgetPrepared();
    // What the last failed document's renderer said; empty when it said nothing.
    const QString& lastError() const { return m_lastError; }

private:
    RouteOutcome render(Route route, const DocumentNames& document);

    IPdfPrinterOptions& m_options;
    IPrinter& m_printer;
    DocumentRenderer& m_renderer;
    PrintHandlers& m_handlers;
    Dialogs& m_dialogs;
    QString m_lastError;
};
