#include "platform/web/WebPageRenderer.h"

#include "platform/application/Progress.h"
#include "platform/web/EngineFlags.h"
#include "platform/web/PageFolderGuard.h"
#include "platform/web/RendererMemory.h"

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
#include <algorithm>
#include <csignal>
#include <unistd.h>
#include <utility>

Q_LOGGING_CATEGORY(lcWeb, "corvanta.web", QtWarningMsg)

namespace {

// How often a wait reports progress and looks at the page's memory at most, and the tick that
// wakes it when nothing else does: together at least every 100 ms.
constexpr auto kReportEvery = std::chrono::milliseconds(50);

RenderError failure(const QString& text)
{
    return RenderError(text.toStdString());
}

// Adds the switches that confine every page to the engine's, once. The engine reads them when
// its first profile starts it, so a renderer sets them too, for a program that did not prepare.
void confineEngine()
{
    static bool confined = false;
    if (confined)
        return;
    confined = true;
    // The memory watch ends a page at its limit, and says so; V8 ends the scripts at twice
    // that, should a page outrun the watch. (With V8's limit at the page's, a script filling
    // its heap at 1 GB/s was ended by V8 first, as a crash that looks like any other.)
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", ConfinedEngineFlags(qgetenv("QTWEBENGINE_CHROMIUM_FLAGS"),
                                                              2 * WebPageRenderer::kPageMemoryMb));
}

// A page's console goes to this program's debug log: a page must not write lines into the
// standard error of an unattended run.
class QuietPage final : public QWebEnginePage
{
public:
    using QWebEnginePage::QWebEnginePage;

protected:
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString& message, int,
                                  const QString&) override
    {
        qCDebug(lcWeb) << "page console:" << message.left(500);
    }
};

} // namespace

struct WebPageRenderer::PageAhead
{
    std::unique_ptr<QWebEnginePage> page;
    QString document; // the real path of the page loading in it; empty while it is idle
    std::optional<bool> loaded;
    bool printing = false; // printing began once it had loaded
    std::optional<QByteArray> pdf;
    bool failed = false; // its renderer ended, or held more than a page may
    QElapsedTimer started;
};

enum class WebPageRenderer::Wait
{
    Done,
    TimedOut,
    Stopped,       // the user asked to stop
    RendererEnded, // the page's renderer crashed, or was ended for its memory
};

void WebPageRenderer::prepareApplication()
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // The engine's sandbox refuses to run as root; a desktop user never is.
    if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    confineEngine();
    // The engine lists its start-up flags on every start; an unattended run's standard error is
    // for its progress lines. (QT_LOGGING_RULES still brings the list back.)
    QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.info=false"));
}

WebPageRenderer::WebPageRenderer(std::chrono::milliseconds waitLimit) : m_waitLimit(waitLimit)
{
    // The page ahead works while the run converts other documents, office ones too, whose waits
    // let timers through: it is watched on a timer of its own.
    m_aheadWatch.setInterval(kReportEvery);
    QObject::connect(&m_aheadWatch, &QTimer::timeout, [this] { watchAhead(); });
}

WebPageRenderer::~WebPageRenderer()
{
    m_ahead.reset(); // a page must go before its profile, the profile before its guard
    m_page.reset();
    m_profile.reset();
}

QWebEnginePage& WebPageRenderer::pageIn(const QString& folder)
{
    if (m_guard && m_guard->folder() != folder) {
        // Pages of another folder get a profile of their own: nothing a page stored (local
        // storage, databases, caches) reaches a page that may not read its folder.
        m_ahead.reset();
        dropPage();
        m_profile.reset();
        m_guard.reset();
    }
    if (!m_profile) {
        confineEngine();
        m_guard = std::make_unique<PageFolderGuard>(folder);
        // Off the record: nothing of the pages is kept on disk.
        m_profile = std::make_unique<QWebEngineProfile>();
        m_profile->setUrlRequestInterceptor(m_guard.get());
        QWebEngineSettings* settings = m_profile->settings();
        settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
        // Stays on: without it a local page loads not even its own style sheets and pictures.
        // The guard keeps it within its folder.
        settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
        settings->setAttribute(QWebEngineSettings::PluginsEnabled, false);
        settings->setAttribute(QWebEngineSettings::DnsPrefetchEnabled, false);
        settings->setAttribute(QWebEngineSettings::WebRTCPublicInterfacesOnly, true);
        settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
        settings->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, false);
        settings->setAttribute(QWebEngineSettings::JavascriptCanPaste, false);
        settings->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, false);
        // A frame the guard blocked prints blank, not as the engine's error page.
        settings->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
    }
    if (!m_page)
        m_page = newPage();
    return *m_page;
}

// A page of the profile; its signals go to the role it has when they come, converted or ahead.
std::unique_ptr<QWebEnginePage> WebPageRenderer::newPage()
{
    auto page = std::make_unique<QuietPage>(m_profile.get());
    QWebEnginePage* const made = page.get();
    QObject::connect(made, &QWebEnginePage::renderProcessTerminated, made,
                     [this, made](QWebEnginePage::RenderProcessTerminationStatus status, int) {
                         if (m_page.get() == made)
                             m_rendererEnded = int(status);
                         else if (m_ahead && m_ahead->page.get() == made)
                             m_ahead->failed = true;
                     });
    QObject::connect(made, &QWebEnginePage::loadFinished, made, [this, made](bool ok) {
        if (!m_ahead || m_ahead->page.get() != made || m_ahead->document.isEmpty())
            return;
        m_ahead->loaded = ok;
        if (ok) {
            m_ahead->printing = true;
            startPrinting(*made);
        }
    });
    return page;
}

// The page's PDF comes to the page's role when it is ready: the converted page's to m_printed.
// A page printed ahead is held until its turn.
void WebPageRenderer::startPrinting(QWebEnginePage& page)
{
    const QPageLayout layout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                             QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
    QWebEnginePage* const printed = &page;
    page.printToPdf(
        [this, printed](const QByteArray& bytes) {
            if (m_page.get() == printed) {
                m_printed = bytes;
            } else if (m_ahead && m_ahead->page.get() == printed) {
                m_ahead->pdf = bytes;
                printed->setLifecycleState(QWebEnginePage::LifecycleState::Frozen);
            }
        },
        layout);
}

// Starts the first wanted page of the profile's folder in the second page, when that is idle.
void WebPageRenderer::loadAhead()
{
    if (!m_profile || (m_ahead && !m_ahead->document.isEmpty()))
        return;
    const auto next = std::find_if(m_wanted.cbegin(), m_wanted.cend(), [this](const QString& page) {
        return page != m_current && QFileInfo(page).path() == m_guard->folder();
    });
    if (next == m_wanted.cend())
        return;
    if (!m_ahead) {
        m_ahead = std::make_unique<PageAhead>();
        m_ahead->page = newPage();
    }
    m_ahead->document = *next;
    m_ahead->loaded.reset();
    m_ahead->printing = false;
    m_ahead->pdf.reset();
    m_ahead->failed = false;
    m_ahead->started.start();
    allowPages();
    m_ahead->page->setLifecycleState(QWebEnginePage::LifecycleState::Active);
    m_ahead->page->load(QUrl::fromLocalFile(m_ahead->document));
    m_aheadWatch.start();
}

void WebPageRenderer::allowPages()
{
    QStringList pages{m_current};
    if (m_ahead && !m_ahead->document.isEmpty())
        pages.append(m_ahead->document);
    m_guard->setPages(pages);
}

// Makes the second page the converted one when it loaded `page` ahead; its load's outcome, if
// it came, goes to `loaded`, its PDF, if printed, to m_printed. A page whose renderer ended or
// that did not load is loaded again, from the start and within its own limit, so that its
// failure is told as any page's.
WebPageRenderer::Ahead WebPageRenderer::takePageAhead(const QString& page,
                                                      std::optional<bool>& loaded)
{
    if (!m_ahead || m_ahead->document != page)
        return Ahead::No;
    if (m_ahead->failed || !m_ahead->loaded.value_or(true)) {
        m_ahead.reset();
        return Ahead::No;
    }
    std::swap(m_page, m_ahead->page);
    loaded = m_ahead->loaded;
    m_printed = m_ahead->pdf;
    const Ahead taken = m_ahead->printing ? Ahead::Printing : Ahead::Loading;
    m_ahead->document.clear();
    m_ahead->loaded.reset();
    m_ahead->printing = false;
    m_ahead->pdf.reset();
    return taken;
}

void WebPageRenderer::dropPage()
{
    m_page.reset();
}

// Runs the event loop, window messages included, until `done` is set, the page's renderer ends,
// the limit passes or the user stops the run.
template <typename T> WebPageRenderer::Wait WebPageRenderer::waitFor(std::optional<T>& done)
{
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    deadline.start(m_waitLimit);
    QTimer tick; // its events alone wake the loop; nothing needs to be connected
    tick.start(kReportEvery);
    QElapsedTimer sinceReport;
    sinceReport.start();
    // Each round sleeps until an event comes: the page's own, the tick's or the deadline's.
    while (!done && !m_rendererEnded && deadline.isActive()) {
        loop.processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        if (!done && !m_rendererEnded && sinceReport.elapsed() >= kReportEvery.count()) {
            watchMemory();
            if (!ReportProgress())
                return Wait::Stopped;
            sinceReport.restart();
        }
    }
    if (m_rendererEnded || m_endedForMemory)
        return Wait::RendererEnded;
    return done ? Wait::Done : Wait::TimedOut;
}

// Ends the converted page's renderer once it holds more than a page may use; the engine then
// reports it ended, which ends the wait.
void WebPageRenderer::watchMemory()
{
    if (!m_endedForMemory && endedForMemory(*m_page))
        m_endedForMemory = true;
}

// A page ahead may hold no more than a converted one, nor take longer: one that does, or whose
// renderer ended, is dropped; in its turn it is loaded again like any page, and its failure is
// told then. Once printed it is frozen and left alone.
void WebPageRenderer::watchAhead()
{
    if (!m_ahead || m_ahead->document.isEmpty() || m_ahead->pdf) {
        m_aheadWatch.stop();
        return;
    }
    const bool ownRenderer =
        !m_page || m_ahead->page->renderProcessPid() != m_page->renderProcessPid();
    if (!m_ahead->failed && ownRenderer && endedForMemory(*m_ahead->page))
        m_ahead->failed = true;
    if (!m_ahead->failed && m_ahead->started.elapsed() > m_waitLimit.count())
        m_ahead->failed = true;
    if (!m_ahead->failed)
        return;
    qCDebug(lcWeb) << "dropped the page loaded ahead" << m_ahead->document;
    m_wanted.removeAll(m_ahead->document);
    m_ahead.reset();
    m_aheadWatch.stop();
    allowPages();
    loadAhead();
}

bool WebPageRenderer::endedForMemory(QWebEnginePage& page)
{
    const qint64 pid = page.renderProcessPid();
    if (pid <= 0 || pid == QCoreApplication::applicationPid())
        return false;
    const qint64 heldMb = OwnResidentMemoryMb(pid);
    if (heldMb <= kPageMemoryMb)
        return false;
    qCDebug(lcWeb) << "ending renderer" << pid << "holding" << heldMb << "MB";
    ::kill(pid_t(pid), SIGKILL);
    return true;
}

QString WebPageRenderer::rendererEndedText(const QString& document) const
{
    if (m_endedForMemory)
        return QStringLiteral("The web page %1 needed more memory than the %2 MB a page may use.")
            .arg(document)
            .arg(kPageMemoryMb);
    QString how = QStringLiteral("crashed");
    if (*m_rendererEnded == QWebEnginePage::KilledTerminationStatus)
        how = QStringLiteral("killed");
    else if (*m_rendererEnded == QWebEnginePage::AbnormalTerminationStatus)
        how = QStringLiteral("ended abnormally");
    else if (*m_rendererEnded == QWebEnginePage::NormalTerminationStatus)
        how = QStringLiteral("ended");
    return QStringLiteral(
               "The web page %1 could not be converted: the page's renderer stopped (%2).")
        .arg(document, how);
}

void WebPageRenderer::prepare(Route, const DocumentSource& source)
{
    const QString page = QFileInfo(source.path).canonicalFilePath();
    if (page.isEmpty())
        return;
    if (!m_page)
        pageIn(QFileInfo(page).path());
    if (!m_wanted.contains(page))
        m_wanted.append(page);
    loadAhead();
}

void WebPageRenderer::forgetPrepared()
{
    m_wanted.clear();
    if (m_ahead && !m_ahead->document.isEmpty()) {
        m_ahead.reset(); // a page loading for nothing would go on running its scripts
        m_aheadWatch.stop();
    }
}

void WebPageRenderer::renderToPdf(Route, const DocumentSource& source, const QString& pdfFile)
{
    const QString& document = source.path;
    // The page is loaded from where it really is, and may read the folder it really is in.
    const QString page = QFileInfo(document).canonicalFilePath();
    if (page.isEmpty() || !QFileInfo(page).isReadable())
        throw failure(QStringLiteral("The web page %1 cannot be read.").arg(document));

    pageIn(QFileInfo(page).path());
    // The pages wanted before this one were not converted after all.
    m_wanted.remove(0, m_wanted.indexOf(page) + 1);
    std::optional<bool> loaded;
    m_printed.reset();
    const Ahead ahead = takePageAhead(page, loaded);
    m_current = page;
    allowPages();
    loadAhead();
    QWebEnginePage& view = *m_page;
    m_rendererEnded.reset();
    m_endedForMemory = false;
    // Between pages its scripts are held, so a page does nothing once it has been printed.
    const auto freeze = [&view] { view.setLifecycleState(QWebEnginePage::LifecycleState::Frozen); };
    const auto giveUp = [this, &document](Wait wait, const QString& doing) {
        const QString text = wait == Wait::RendererEnded ? rendererEndedText(document) : QString();
        dropPage(); // a page still at work would go on using the engine
        if (wait == Wait::Stopped)
            throw RunStopped();
        if (wait == Wait::RendererEnded)
            throw failure(text);
        throw failure(doing.arg(document).arg(m_waitLimit.count() / 1000.0));
    };

    const auto whenLoaded =
        QObject::connect(&view, &QWebEnginePage::loadFinished, [&loaded](bool ok) { loaded = ok; });
    if (ahead == Ahead::No) {
        view.setLifecycleState(QWebEnginePage::LifecycleState::Active);
        view.load(QUrl::fromLocalFile(page));
    }
    const Wait loading = waitFor(loaded);
    QObject::disconnect(whenLoaded);
    if (loading != Wait::Done)
        giveUp(loading,
               QStringLiteral("The web page %1 was not ready to print within %2 seconds."));
    if (!*loaded) {
        freeze();
        throw failure(QStringLiteral("The web page %1 could not be loaded.").arg(document));
    }

    if (ahead != Ahead::Printing)
        startPrinting(view);
    const Wait printing = waitFor(m_printed);
    if (printing != Wait::Done)
        giveUp(printing,
               QStringLiteral("Printing the web page %1 did not finish within %2 seconds."));
    freeze();
    const QByteArray pdf = *std::exchange(m_printed, std::nullopt);
    if (!pdf.startsWith("%PDF"))
        throw failure(QStringLiteral("The web page %1 could not be printed.").arg(document));

    QSaveFile out(pdfFile);
    if (!out.open(QIODevice::WriteOnly) || out.write(pdf) != pdf.size() || !out.commit())
        throw failure(QStringLiteral("%1: %2").arg(pdfFile, out.errorString()));
    qCDebug(lcWeb) << "printed" << document << pdf.size() << "bytes";
}
