#pragma once

#include "conversion/DocumentSource.h"
#include "conversion/PrintRoute.h"

#include <QString>
#include <stdexcept>

// A renderer could not lay out a document; the text is shown to the user.
class RenderError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Lays out an office document or a web page as a PDF file, which then goes to the printer as
// one job. Throws RenderError when the document cannot be rendered.
class DocumentRenderer
{
public:
    virtual ~DocumentRenderer() = default;

    // Reports to `progress` while it waits for the document; throws RunStopped when the user
    // stops the run meanwhile.
    virtual void renderToPdf(Route route, const DocumentSource& document, const QString& pdfFile,
                             Progress& progress) = 0;
    // A hint: `document` is about to be asked for; a renderer that can lay out documents side
    // by side may start on it now. Never throws; renderToPdf reports what went wrong.
    virtual void prepare(Route /*route*/, const DocumentSource& /*document*/) {}
    // A hint: documents of this renderer's are coming; it may start what it needs.
    virtual void warmUp() {}
    // What was prepared and not asked for is not wanted any more (the run ended; the documents
    // may change before the next one).
    virtual void forgetPrepared() {}
};

// Stands in while a machine has no renderer for a kind of document: every document fails with
// a plain explanation, and, as the shell route, it has a handler for no type at all.
class MissingRenderer final : public DocumentRenderer, public PrintRoute
{
public:
    void renderToPdf(Route route, const DocumentSource& document, const QString& pdfFile,
                     Progress& progress) override;
    RouteResult print(const DocumentSource& document, const QString& title,
                      Progress& progress) override;
};
