#include "platform/web/WebPageRenderer.h"

#include "platform/application/Progress.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QPageLayout>
#include <QPageSize>
#include <QSaveFile>
#include <QTimer>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <optional>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcWeb, "corvanta.web", QtWarningMsg)

namespace {

// How often a wait reports progress at most, and the tick that wakes it when nothing else does:
// together at least every 100 ms.
constexpr auto kReportEvery = std::chrono::milliseconds(50);

enum class Wait
{
    Done,
    TimedOut,
    Stopped, // the user asked to stop
};

// Runs the event loop, window messages included, until `done` is set, the limit passes or the
// user stops the run.
template <typename T> Wait waitFor(std::optional<T>& done, std::chrono::milliseconds limit)
{
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    deadline.start(limit);
    QTimer tick; // its events alone wake the loop; nothing needs to be connected
    tick.start(kReportEvery);
    QElapsedTimer sinceReport;
    sinceReport.start();
    // Each round sleeps until an event comes: the page's own, the tick's or the deadline's.
    while (!done && deadline.isActive()) {
        loop.processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        if (!done && sinceReport.elapsed() >= kReportEvery.count()) {
            if (!ReportProgress())
                return Wait::Stopped;
            sinceReport.restart();
        }
    }
    return done ? Wait::Done : Wait::TimedOut;
}

RenderError failure(const QString& text)
{
    return RenderError(text.toStdString());
}

} // namespace

void WebPageRenderer::prepareApplication()
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // The engine's sandbox refuses to run as root; a desktop user never is.
    if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    // The engine lists its start-up flags on every start; an unattended run's standard error is
    // for its progress lines. (QT_LOGGING_RULES still brings the list back.)
    QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.info=false"));
}

WebPageRenderer::WebPageRenderer(std::chrono::milliseconds waitLimit) : m_waitLimit(waitLimit) {}

WebPageRenderer::~WebPageRenderer()
{
    m_page.reset(); // a page must go before its profile
}

QWebEnginePage& WebPageRenderer::page()
{
    if (!m_profile) {
        // Off the record: nothing of the pages is kept on disk. A saved page may draw on
        // style sheets and pictures of its web site, as it would in a browser.
        m_profile = std::make_unique<QWebEngineProfile>();
        m_profile->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls,
                                            true);
    }
    if (!m_page)
        m_page = std::make_unique<QWebEnginePage>(m_profile.get());
    return *m_page;
}

void WebPageRenderer::dropPage()
{
    m_page.reset();
}

void WebPageRenderer::renderToPdf(Route, const QString& document, const QString& pdfFile)
{
    if (!QFileInfo(document).isReadable())
        throw failure(QStringLiteral("The web page %1 cannot be read.").arg(document));

    QWebEnginePage& view = page();
    std::optional<bool> loaded;
    const auto whenLoaded =
        QObject::connect(&view, &QWebEnginePage::loadFinished, [&loaded](bool ok) { loaded = ok; });
    view.load(QUrl::fromLocalFile(QFileInfo(document).absoluteFilePath()));
    const Wait loading = waitFor(loaded, m_waitLimit);
    QObject::disconnect(whenLoaded);
    if (loading == Wait::Stopped) {
        dropPage(); // a page still loading would go on using the engine
        throw RunStopped();
    }
    if (loading == Wait::TimedOut) {
        dropPage();
        throw failure(QStringLiteral("The web page %1 was not ready to print within %2 seconds.")
                          .arg(document)
                          .arg(m_waitLimit.count() / 1000.0));
    }
    if (!*loaded)
        throw failure(QStringLiteral("The web page %1 could not be loaded.").arg(document));

    std::optional<QByteArray> pdf;
    const QPageLayout layout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                             QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
    view.printToPdf([&pdf](const QByteArray& bytes) { pdf = bytes; }, layout);
    const Wait printing = waitFor(pdf, m_waitLimit);
    if (printing == Wait::Stopped) {
        dropPage(); // its printing would still call back into this frame
        throw RunStopped();
    }
    if (printing == Wait::TimedOut) {
        dropPage();
        throw failure(QStringLiteral("Printing the web page %1 did not finish within %2 seconds.")
                          .arg(document)
                          .arg(m_waitLimit.count() / 1000.0));
    }
    if (!pdf->startsWith("%PDF"))
        throw failure(QStringLiteral("The web page %1 could not be printed.").arg(document));

    QSaveFile out(pdfFile);
    if (!out.open(QIODevice::WriteOnly) || out.write(*pdf) != pdf->size() || !out.commit())
        throw failure(QStringLiteral("%1: %2").arg(pdfFile, out.errorString()));
    qCDebug(lcWeb) << "printed" << document << pdf->size() << "bytes";
}
