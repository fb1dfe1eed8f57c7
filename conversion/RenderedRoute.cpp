#include "conversion/RenderedRoute.h"

#include "common/Progress.h"
#include "conversion/DocumentRenderer.h"
#include "conversion/IPdfPrinterOptions.h"
#include "conversion/IPrinter.h"

#include <QTemporaryDir>

RenderedRoute::RenderedRoute(IPdfPrinterOptions& options, IPrinter& printer,
                             DocumentRenderer& renderer, Route kind)
    : m_options(options), m_printer(printer), m_renderer(renderer), m_kind(kind)
{
}

void RenderedRoute::notifyPrinter()
{
    switch (m_kind) {
    case Route::Word:
        m_options.NotifyAutomationServer(QStringLiteral("Word.Application"));
        m_options.NotifyAutomationPrint();
        break;
    case Route::Excel:
        m_options.NotifyAutomationServer(QStringLiteral("Excel.Application"));
        m_options.NotifyAutomationPrint();
        break;
    default:
        m_options.NotifyAutomationServer(QStringLiteral("InternetExplorer.Application"));
        break;
    }
}

RouteResult RenderedRoute::print(const DocumentSource& document, const QString& title,
                                 Progress& progress)
{
    notifyPrinter();
    try {
        QTemporaryDir work;
        if (!work.isValid())
            throw RenderError(work.errorString().toStdString());
        const QString pdf = work.filePath(QStringLiteral("rendered.pdf"));
        m_renderer.renderToPdf(m_kind, document, pdf, progress);
        if (m_printer.printRenderedPdf(title, pdf, progress))
            return RouteResult::printed();
        return RouteResult::notSaved(m_printer.lastFailure());
    } catch (const RunStopped&) {
        throw;
    } catch (const std::exception& error) {
        return RouteResult::failed(QString::fromStdString(error.what()));
    }
}

void RenderedRoute::prepare(const DocumentSource& document)
{
    m_renderer.prepare(m_kind, document);
}

void RenderedRoute::forgetPrepared()
{
    m_renderer.forgetPrepared();
}
