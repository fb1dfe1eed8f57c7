#include "conversion/RendererRoutes.h"

#include "common/Dialogs.h"
#include "common/Progress.h"
#include "conversion/DocumentNames.h"
#include "conversion/DocumentRenderer.h"
#include "conversion/IPdfPrinterOptions.h"
#include "conversion/IPrinter.h"

#include <QTemporaryDir>

RendererRoutes::RendererRoutes(IPdfPrinterOptions& options, IPrinter& printer,
                               DocumentRenderer& renderer, PrintHandlers& handlers,
                               Dialogs& dialogs)
    : m_options(options), m_printer(printer), m_renderer(renderer), m_handlers(handlers),
      m_dialogs(dialogs)
{
}

RouteOutcome RendererRoutes::print(Route route, const DocumentNames& document)
{
    m_lastError.clear();
    if (route != Route::Shell)
        return render(route, document);
    try {
        return m_handlers.print({document.path, document.source}, document.expectedPdf) <= 32
                   ? RouteOutcome::Unassociated
                   : RouteOutcome::Printed;
    } catch (const RunStopped&) {
        throw;
    } catch (const JobNotSaved&) {
        return RouteOutcome::Failed;
    } catch (const std::exception& error) {
        // The handler took the document but could not print it.
        m_lastError = QString::fromStdString(error.what());
        m_dialogs.message(m_lastError, Dialogs::Icon::Error);
        return RouteOutcome::Failed;
    }
}

void RendererRoutes::prepare(const DocumentNames& document)
{
    m_renderer.prepare(SelectRoute(document.path), {document.path, document.source});
}

void RendererRoutes::forgetPrepared()
{
    m_renderer.forgetPrepared();
}

RouteOutcome RendererRoutes::render(Route route, const DocumentNames& document)
{
    switch (route) {
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
    try {
        QTemporaryDir work;
        if (!work.isValid())
            throw RenderError(work.errorString().toStdString());
        const QString pdf = work.filePath(QStringLiteral("rendered.pdf"));
        m_renderer.renderToPdf(route, {document.path, document.source}, pdf);
        // A job that could not be saved is the printer's to report.
        return m_printer.printRenderedPdf(document.expectedPdf, pdf) ? RouteOutcome::Printed
                                                                     : RouteOutcome::Failed;
    } catch (const RunStopped&) {
        throw;
    } catch (const std::exception& error) {
        m_lastError = QString::fromStdString(error.what());
        m_dialogs.message(m_lastError, Dialogs::Icon::Error);
        return RouteOutcome::Failed;
    }
}
