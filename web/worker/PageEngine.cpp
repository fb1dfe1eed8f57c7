#include "web/worker/PageEngine.h"

#include "web/worker/Gunzip.h"
#include "web/worker/PageFolderGuard.h"
#include "web/worker/RendererMemory.h"
#include "web/worker/WebWorkerLog.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPointer>
#include <QSaveFile>
#include <QTimer>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineSettings>
#include <algorithm>
#include <csignal>
#include <unistd.h>
#include <utility>

namespace {

// How often a wait looks at the page's memory at most, and the tick that wakes it when nothing
// else does: together at least every 100 ms.
constexpr auto kWatchEvery = std::chrono::milliseconds(50);
// The most a document handed over may hold, unpacked.
constexpr qint64 kDocumentLimit = 64 << 20;

const QByteArray kDrawingType = "image/svg+xml";
// Below the engine's limit for content given with its bytes (2 MB, as a data: URL, which
// grows by a third in base64).
constexpr qsizetype kDirectContentLimit = 1 << 20;

// A drawing is printed as large as it fits on the page, whatever size it names: its own size
// becomes its view box, the page's printable area its size. Run in a world of its own, so the
// drawing's scripts cannot change what it does.
const char kFitDrawing[] = R"((function () {
  const svg = document.documentElement;
  if (!(svg instanceof SVGSVGElement)) return;
  if (!svg.getAttribute("viewBox")) {
    const w = svg.width.baseVal, h = svg.height.baseVal;
    const relative = (l) => l.unitType === SVGLength.SVG_LENGTHTYPE_PERCENTAGE;
    let box = [0, 0, w.value, h.value];
    if (relative(w) || relative(h) || !(w.value > 0 && h.value > 0)) {
      const b = svg.getBBox();
      box = [b.x, b.y, b.width, b.height];
    }
    if (box[2] > 0 && box[3] > 0) svg.setAttribute("viewBox", box.join(" "));
  }
  svg.setAttribute("width", "188mm");
  svg.setAttribute("height", "275mm");
})();)";

// An element the page fixes on the screen (a banner, a bar of buttons) would be printed at the
// top or bottom of every sheet, over the text that flows under it there. Printed once, where
// the page puts it at its start, it hides nothing. The page's rules and inline styles are
// changed, not each element's computed style looked at: a page of a hundred thousand elements
// costs no more than one of ten. The object model is not bound by the page's content security
// policy.
const char kPrintFixedOnce[] = R"((function () {
  const unfix = (style) => {
    if (style.getPropertyValue("position").trim() === "fixed")
      style.setProperty("position", "absolute", style.getPropertyPriority("position"));
  };
  const walk = (rules) => {
    for (const rule of rules) {
      if (rule.style) unfix(rule.style);
      if (rule.cssRules) walk(rule.cssRules);
    }
  };
  for (const sheet of document.styleSheets) {
    try { walk(sheet.cssRules); } catch (e) { /* a sheet the page may not read */ }
  }
  for (const element of document.querySelectorAll("[style*='fixed' i]")) unfix(element.style);
})();)";

// A page's console goes to the worker's debug log: a page must not write lines into the
// standard error of an unattended run.
class QuietPage final : public QWebEnginePage
{
public:
    using QWebEnginePage::QWebEnginePage;

protected:
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString& message, int,
                                  const QString&) override
    {
        qCDebug(lcWebWorker) << "page console:" << message.left(500);
    }
};

} // namespace

struct PageEngine::PageAhead
{
    std::unique_ptr<QWebEnginePage> page;
    QString document; // the page loading in it; empty while it is idle
    std::optional<bool> loaded;
    bool printing = false; // printing began once it had loaded
    std::optional<QByteArray> pdf;
    bool failed = false; // its renderer ended, or held more than a page may
    QElapsedTimer started;
};

enum class PageEngine::Wait
{
    Done,
    TimedOut,
    RendererEnded, // the page's renderer crashed, or holds more than a page may
};

PageEngine::PageEngine(std::chrono::milliseconds waitLimit, int pageMemoryMb)
    : m_waitLimit(waitLimit), m_pageMemoryMb(pageMemoryMb)
{
    // The page ahead works while the worker waits for requests: it is watched on a timer.
    m_aheadWatch.setInterval(kWatchEvery);
    QObject::connect(&m_aheadWatch, &QTimer::timeout, [this] { watchAhead(); });
}

PageEngine::~PageEngine()
{
    m_ahead.reset(); // a page must go before its profile, the profile before its handlers
    m_page.reset();
    m_profile.reset();
}

// The document's bytes, as the program read them, are served in place of its file.
bool PageEngine::takeBytes(const WebRequest& request)
{
    QFile file(request.bytes);
    if (!file.open(QIODevice::ReadOnly))
        return m_handed.contains(request.document);
    QByteArray bytes = file.read(kDocumentLimit + 1);
    file.remove();
    if (bytes.size() > kDocumentLimit)
        return false;
    if (request.content == WebContent::Drawing) {
        if (IsGzip(bytes)) {
            const auto unpacked = Gunzip(bytes, kDocumentLimit);
            if (!unpacked)
                return false;
            bytes = *unpacked;
        }
        m_handed.insert(request.document, {bytes, kDrawingType});
    } else {
        m_handed.insert(request.document, {bytes, "text/html"});
    }
    return true;
}

QWebEnginePage& PageEngine::pageIn(const QString& folder)
{
    if (m_scheme && m_scheme->folder() != folder) {
        // Pages of another folder get a profile of their own: nothing a page stored (local
        // storage, databases, caches) reaches a page that may not read its folder.
        m_ahead.reset();
        m_page.reset();
        m_profile.reset();
        m_scheme.reset();
        m_guard.reset();
    }
    if (!m_profile) {
        m_guard = std::make_unique<PageFolderGuard>();
        m_scheme = std::make_unique<PageFolderScheme>(folder, m_handed);
        // Off the record: nothing of the pages is kept on disk.
        m_profile = std::make_unique<QWebEngineProfile>();
        m_profile->setUrlRequestInterceptor(m_guard.get());
        m_profile->installUrlSchemeHandler(kPageScheme, m_scheme.get());
        QWebEngineSettings* settings = m_profile->settings();
        settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
        settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
        settings->setAttribute(QWebEngineSettings::PluginsEnabled, false);
        settings->setAttribute(QWebEngineSettings::DnsPrefetchEnabled, false);
        settings->setAttribute(QWebEngineSettings::WebRTCPublicInterfacesOnly, true);
        settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
        settings->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, false);
        settings->setAttribute(QWebEngineSettings::JavascriptCanPaste, false);
        settings->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, false);
        // A frame the scheme did not serve prints blank, not as the engine's error page.
        settings->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
    }
    if (!m_page)
        m_page = newPage();
    return *m_page;
}

// A page of the profile; its signals go to the role it has when they come, converted or ahead.
std::unique_ptr<QWebEnginePage> PageEngine::newPage()
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
            startPrinting(*made, m_ahead->document);
        }
    });
    return page;
}

// A page is given to the engine with its bytes, at its URL in the scheme: the engine's own
// load of a main document through a scheme handler takes some 100 ms more. The engine takes
// content this way only up to 2 MB; larger pages come through the handler.
void PageEngine::load(QWebEnginePage& page, const QString& document)
{
    const QUrl url = PageUrl(QFileInfo(document).fileName());
    const auto handed = m_handed.constFind(document);
    if (handed != m_handed.cend() && handed->bytes.size() <= kDirectContentLimit)
        page.setContent(handed->bytes, QString::fromLatin1(handed->mimeType), url);
    else
        page.load(url);
}

// The page's PDF comes to the page's role when it is ready: the converted page's to m_printed.
// A page printed ahead is held until its turn.
void PageEngine::startPrinting(QWebEnginePage& page, const QString& document)
{
    QPointer<QWebEnginePage> printed = &page;
    const auto print = [this, printed] {
        if (!printed)
            return;
        const QPageLayout layout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                 QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
        QWebEnginePage* const page = printed.data();
        page->printToPdf(
            [this, page](const QByteArray& bytes) {
                if (m_page.get() == page) {
                    m_printed = bytes;
                } else if (m_ahead && m_ahead->page.get() == page) {
                    m_ahead->pdf = bytes;
                    page->setLifecycleState(QWebEnginePage::LifecycleState::Frozen);
                }
            },
            layout);
    };
    const bool drawing = m_handed.value(document).mimeType == kDrawingType;
    page.runJavaScript(QString::fromUtf8(drawing ? kFitDrawing : kPrintFixedOnce),
                       QWebEngineScript::ApplicationWorld, [print](const QVariant&) { print(); });
}

// Starts the first wanted page of the profile's folder in the second page, when that is idle.
void PageEngine::loadAhead()
{
    if (!m_profile || (m_ahead && !m_ahead->document.isEmpty()))
        return;
    const auto next = std::find_if(m_wanted.cbegin(), m_wanted.cend(), [this](const QString& page) {
        return page != m_current && QFileInfo(page).absolutePath() == m_scheme->folder();
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
    m_ahead->page->setLifecycleState(QWebEnginePage::LifecycleState::Active);
    load(*m_ahead->page, m_ahead->document);
    m_aheadWatch.start();
}

// Makes the second page the converted one when it loaded `page` ahead; its load's outcome, if
// it came, goes to `loaded`, its PDF, if printed, to m_printed. A page whose renderer ended or
// that did not load is loaded again, from the start and within its own limit, so that its
// failure is told as any page's.
PageEngine::Ahead PageEngine::takePageAhead(const QString& page, std::optional<bool>& loaded)
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

// Runs the event loop until `done` is set, the page's renderer ends or holds more than a page
// may, or the limit passes.
template <typename T> PageEngine::Wait PageEngine::waitFor(std::optional<T>& done)
{
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    deadline.start(m_waitLimit);
    QTimer tick; // its events alone wake the loop; nothing needs to be connected
    tick.start(kWatchEvery);
    QElapsedTimer sinceWatch;
    sinceWatch.start();
    // Each round sleeps until an event comes: the page's own, the tick's or the deadline's.
    while (!done && !m_rendererEnded && !m_pastMemory && deadline.isActive()) {
        loop.processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        if (!done && !m_rendererEnded && sinceWatch.elapsed() >= kWatchEvery.count()) {
            m_pastMemory = pastMemory(*m_page);
            sinceWatch.restart();
        }
    }
    if (m_rendererEnded || m_pastMemory)
        return Wait::RendererEnded;
    return done ? Wait::Done : Wait::TimedOut;
}

// A page ahead may hold no more than a converted one, nor take longer: one that does, or whose
// renderer ended, is dropped; in its turn it is loaded again like any page, and its failure is
// told then. Once printed it is frozen and left alone.
void PageEngine::watchAhead()
{
    if (!m_ahead || m_ahead->document.isEmpty() || m_ahead->pdf) {
        m_aheadWatch.stop();
        return;
    }
    const bool ownRenderer =
        !m_page || m_ahead->page->renderProcessPid() != m_page->renderProcessPid();
    if (!m_ahead->failed && ownRenderer) {
        if (const qint64 pid = pastMemory(*m_ahead->page)) {
            ::kill(pid_t(pid), SIGKILL);
            m_ahead->failed = true;
        }
    }
    if (!m_ahead->failed && m_ahead->started.elapsed() > m_waitLimit.count())
        m_ahead->failed = true;
    if (!m_ahead->failed)
        return;
    qCDebug(lcWebWorker) << "dropped the page loaded ahead" << m_ahead->document;
    m_wanted.removeAll(m_ahead->document);
    m_ahead.reset();
    m_aheadWatch.stop();
    loadAhead();
}

// The page's renderer when it holds more than a page may use, else 0.
qint64 PageEngine::pastMemory(QWebEnginePage& page) const
{
    const qint64 pid = page.renderProcessPid();
    if (pid <= 0 || pid == QCoreApplication::applicationPid())
        return 0;
    const qint64 heldMb = OwnResidentMemoryMb(pid);
    if (heldMb <= m_pageMemoryMb)
        return 0;
    qCDebug(lcWebWorker) << "renderer" << pid << "holds" << heldMb << "MB";
    return pid;
}

WebAnswer PageEngine::rendererEnded() const
{
    if (m_pastMemory)
        return {WebFailure::Memory, {}};
    QString how = QStringLiteral("crashed");
    if (*m_rendererEnded == QWebEnginePage::KilledTerminationStatus)
        how = QStringLiteral("killed");
    else if (*m_rendererEnded == QWebEnginePage::AbnormalTerminationStatus)
        how = QStringLiteral("ended abnormally");
    else if (*m_rendererEnded == QWebEnginePage::NormalTerminationStatus)
        how = QStringLiteral("ended");
    return {WebFailure::RendererEnded, how};
}

void PageEngine::prepare(const WebRequest& request)
{
    if (!takeBytes(request))
        return;
    if (!m_page)
        pageIn(QFileInfo(request.document).absolutePath());
    if (!m_wanted.contains(request.document))
        m_wanted.append(request.document);
    loadAhead();
}

void PageEngine::forget()
{
    m_wanted.clear();
    if (m_ahead && !m_ahead->document.isEmpty()) {
        m_ahead.reset(); // a page loading for nothing would go on running its scripts
        m_aheadWatch.stop();
    }
    m_handed.clear();
}

WebAnswer PageEngine::render(const WebRequest& request)
{
    const QString& document = request.document;
    if (!takeBytes(request))
        return {WebFailure::Request, QStringLiteral("the document's bytes were not handed over")};
    pageIn(QFileInfo(document).absolutePath());
    // The pages wanted before this one were not converted after all.
    m_wanted.remove(0, m_wanted.indexOf(document) + 1);
    std::optional<bool> loaded;
    m_printed.reset();
    const Ahead ahead = takePageAhead(document, loaded);
    m_current = document;
    loadAhead();
    QWebEnginePage& view = *m_page;
    m_rendererEnded.reset();
    m_pastMemory = 0;
    // Between pages its scripts are held, so a page does nothing once it has been printed.
    const auto freeze = [&view] { view.setLifecycleState(QWebEnginePage::LifecycleState::Frozen); };
    const auto giveUp = [this](Wait wait, WebFailure timedOut) {
        m_dropPage = true; // a page still at work would go on using the engine
        return wait == Wait::RendererEnded ? rendererEnded() : WebAnswer{timedOut, {}};
    };

    WebAnswer answer;
    const auto whenLoaded =
        QObject::connect(&view, &QWebEnginePage::loadFinished, [&loaded](bool ok) { loaded = ok; });
    if (ahead == Ahead::No) {
        view.setLifecycleState(QWebEnginePage::LifecycleState::Active);
        load(view, document);
    }
    const Wait loading = waitFor(loaded);
    QObject::disconnect(whenLoaded);
    if (loading != Wait::Done) {
        answer = giveUp(loading, WebFailure::NotReady);
    } else if (!*loaded) {
        freeze();
        answer = {WebFailure::NotLoaded, {}};
    } else {
        if (ahead != Ahead::Printing)
            startPrinting(view, document);
        const Wait printing = waitFor(m_printed);
        if (printing != Wait::Done) {
            answer = giveUp(printing, WebFailure::PrintTimedOut);
        } else {
            freeze();
            const QByteArray pdf = *std::exchange(m_printed, std::nullopt);
            QSaveFile out(request.pdf);
            if (!pdf.startsWith("%PDF"))
                answer = {WebFailure::NotPrinted, {}};
            else if (!out.open(QIODevice::WriteOnly) || out.write(pdf) != pdf.size() ||
                     !out.commit())
                answer = {WebFailure::NotPrinted, out.errorString()};
            else
                qCDebug(lcWebWorker) << "printed" << document << pdf.size() << "bytes";
        }
    }
    m_handed.remove(document);
    return answer;
}

void PageEngine::settle()
{
    if (m_pastMemory > 0)
        ::kill(pid_t(m_pastMemory), SIGKILL);
    m_pastMemory = 0;
    if (std::exchange(m_dropPage, false))
        m_page.reset();
}
