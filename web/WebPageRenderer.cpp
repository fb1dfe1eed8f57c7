#include "web/WebPageRenderer.h"

#include "common/Progress.h"
#include "platform/files/InstalledFiles.h"
#include "platform/process/ProcessLauncher.h"
#include "web/WebProtocol.h"

#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSaveFile>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <QTemporaryDir>
#include <algorithm>
#include <csignal>

Q_LOGGING_CATEGORY(lcWebClient, "corvanta.web.client", QtWarningMsg)

using namespace std::chrono_literals;

namespace {

const char kWorkerName[] = "corvanta-web-worker";
// The worker ends its engine politely when its input closes; that takes a second or two.
constexpr auto kWorkerGrace = 10s;
// Beyond the worker's own limits for loading and printing: its start and its engine's.
constexpr auto kStartAllowance = 30s;

RenderError failure(const QString& text)
{
    qCWarning(lcWebClient).noquote() << text;
    return RenderError(text.toStdString());
}

QString rendererStopped(const QString& document, const QString& how)
{
    return QStringLiteral(
               "The web page %1 could not be converted: the page's renderer stopped (%2).")
        .arg(document, how);
}

WebContent contentOf(Route route)
{
    return route == Route::Shell ? WebContent::Drawing : WebContent::Page;
}

QString keyOf(const DocumentSource& document)
{
    return QFileInfo(document.path).absoluteFilePath();
}

} // namespace

struct WebPageRenderer::Wanted
{
    WebContent content;
    DocumentSource document;
};

WebPageRenderer::WebPageRenderer(ProcessLauncher& processes, std::chrono::milliseconds waitLimit,
                                 QString workerProgram)
    : m_processes(processes), m_waitLimit(waitLimit), m_workerProgram(std::move(workerProgram))
{
}

WebPageRenderer::~WebPageRenderer()
{
    if (m_worker)
        m_worker->finish(kWorkerGrace);
}

qint64 WebPageRenderer::workerProcessId() const
{
    return m_worker ? m_worker->processId() : 0;
}

ChildProcess& WebPageRenderer::worker(const QString& document)
{
    if (m_worker && m_worker->isRunning())
        return *m_worker;
    stopWorker(); // whatever it left behind

    const QString program =
        m_workerProgram.isEmpty() ? InstalledProgram(kWorkerName) : m_workerProgram;
    if (program.isEmpty() || !QFileInfo(program).isExecutable())
        throw failure(QStringLiteral("The web worker (%1) was not found, so the web page %2 "
                                     "cannot be printed. Reinstall the program.")
                          .arg(kWorkerName, document));
    ProcessCommand command;
    command.program = program;
    command.arguments = {"--wait-limit-ms", QString::number(m_waitLimit.count()),
                         "--page-memory-mb", QString::number(kPageMemoryMb)};
    command.environment.insert("QT_QPA_PLATFORM", "offscreen"); // it never shows a window
    command.errors = ProcessChannel::Forward;                   // its log joins ours
    command.whileWaiting = [this] { return !m_progress || m_progress->advance(-1); };
    m_worker = m_processes.start(command);
    if (!m_worker->isRunning()) {
        const QString reason = m_worker->finish(0ms).error;
        m_worker.reset();
        throw failure(QStringLiteral("The web worker could not be started to print %1: %2")
                          .arg(document, reason));
    }
    ++m_workerStarts;
    qCDebug(lcWebClient) << "web worker" << m_worker->processId() << "started";
    // A fresh worker knows nothing of the pages the run prepared.
    for (const Wanted& wanted : std::as_const(m_wanted))
        sendPrepare(wanted);
    return *m_worker;
}

QString WebPageRenderer::scratchFile(const char* kind)
{
    if (!m_scratch || !m_scratch->isValid())
        m_scratch = std::make_unique<QTemporaryDir>(); // 0700: ours and the worker's alone
    return m_scratch->filePath(QStringLiteral("%1-%2").arg(QLatin1String(kind)).arg(++m_files));
}

// The bytes of what the run opened, in a file the worker takes: the worker never reads the
// document by its name, nor through a descriptor of ours.
QString WebPageRenderer::handOver(const DocumentSource& document, QString* why)
{
    QFile in(document.readable);
    if (!in.open(QIODevice::ReadOnly)) {
        *why = QStringLiteral("The web page %1 cannot be read.").arg(document.path);
        return {};
    }
    const QByteArray bytes = in.read(kPageBytesLimit + 1);
    if (bytes.size() > kPageBytesLimit) {
        *why = QStringLiteral("The web page %1 is larger than the %2 MB a page may have.")
                   .arg(document.path)
                   .arg(kPageBytesLimit >> 20);
        return {};
    }
    QString handed = scratchFile("document");
    QFile out(handed);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size()) {
        out.remove();
        *why = QStringLiteral("The web page %1 could not be handed to the web worker (%2).")
                   .arg(document.path, out.errorString());
        return {};
    }
    return handed;
}

bool WebPageRenderer::sendPrepare(const Wanted& wanted)
{
    QString why;
    const QString bytes = handOver(wanted.document, &why);
    if (bytes.isEmpty())
        return false;
    const WebRequest request{
        WebCommand::Prepare, wanted.content, keyOf(wanted.document), bytes, {}};
    if (m_worker->writeLine(request.toLine()))
        return true;
    QFile::remove(bytes);
    return false;
}

void WebPageRenderer::stopWorker()
{
    if (!m_worker)
        return;
    m_worker->kill(); // and the engine's processes with it: they share its process group
    m_worker.reset();
}

void WebPageRenderer::prepare(Route route, const DocumentSource& document)
{
    const QString key = keyOf(document);
    if (std::any_of(m_wanted.cbegin(), m_wanted.cend(),
                    [&](const Wanted& wanted) { return keyOf(wanted.document) == key; }))
        return;
    try {
        worker(document.path);
    } catch (const RenderError&) {
        return; // renderToPdf tries again and reports it
    }
    m_wanted.append({contentOf(route), document});
    sendPrepare(m_wanted.last());
}

void WebPageRenderer::warmUp()
{
    try {
        worker(QString());
    } catch (const RenderError&) {
        // the first document reports it
    }
}

void WebPageRenderer::forgetPrepared()
{
    m_wanted.clear();
    if (m_worker && m_worker->isRunning())
        m_worker->writeLine(WebRequest{WebCommand::Forget, {}, {}, {}, {}}.toLine());
}

void WebPageRenderer::renderToPdf(Route route, const DocumentSource& source, const QString& pdfFile,
                                  Progress& progress)
{
    const QScopedValueRollback reporting(m_progress, &progress);
    const QString& document = source.path;
    const QString key = keyOf(source);
    // The pages wanted before this one were not converted after all.
    const auto it = std::find_if(m_wanted.cbegin(), m_wanted.cend(), [&](const Wanted& wanted) {
        return keyOf(wanted.document) == key;
    });
    if (it != m_wanted.cend())
        m_wanted.erase(m_wanted.cbegin(), it + 1);

    QString why;
    const QString bytes = handOver(source, &why);
    if (bytes.isEmpty())
        throw failure(why);
    const QString printed = scratchFile("printed");
    // Neither stays behind, whatever becomes of the page.
    const auto cleanUp = qScopeGuard([&] {
        QFile::remove(bytes);
        QFile::remove(printed);
    });
    const WebRequest request{WebCommand::Render, contentOf(route), key, bytes, printed};
    ChildProcess* child = &worker(document);
    if (!child->writeLine(request.toLine())) {
        // It ended after its last answer: a fresh one takes the page.
        stopWorker();
        child = &worker(document);
        if (!child->writeLine(request.toLine())) {
            stopWorker();
            throw failure(rendererStopped(document, QStringLiteral("crashed")));
        }
    }

    const auto line = child->readLine(2 * m_waitLimit + kStartAllowance);
    if (child->cancelled()) {
        stopWorker(); // the page may be half way through: the next one gets a fresh worker
        throw RunStopped();
    }
    const QString seconds = QString::number(std::chrono::duration<double>(m_waitLimit).count());
    if (!line) {
        const bool hung = child->isRunning();
        const ProcessResult ended = child->kill();
        m_worker.reset();
        if (hung)
            throw failure(
                QStringLiteral("Printing the web page %1 did not finish within %2 seconds.")
                    .arg(document, seconds));
        throw failure(rendererStopped(document, ended.signal == SIGKILL
                                                    ? QStringLiteral("killed")
                                                    : QStringLiteral("crashed")));
    }
    const auto answer = WebAnswer::fromLine(*line);
    if (!answer) {
        stopWorker();
        throw failure(QStringLiteral("The web worker gave an unexpected answer while printing %1.")
                          .arg(document));
    }
    switch (answer->failure) {
    case WebFailure::None:
        break;
    case WebFailure::NotLoaded:
        throw failure(QStringLiteral("The web page %1 could not be loaded.").arg(document));
    case WebFailure::NotPrinted:
        throw failure(QStringLiteral("The web page %1 could not be printed.").arg(document));
    // After these the engine may not be sound: the next page gets a fresh worker.
    case WebFailure::NotReady:
        stopWorker();
        throw failure(QStringLiteral("The web page %1 was not ready to print within %2 seconds.")
                          .arg(document, seconds));
    case WebFailure::PrintTimedOut:
        stopWorker();
        throw failure(QStringLiteral("Printing the web page %1 did not finish within %2 seconds.")
                          .arg(document, seconds));
    case WebFailure::Memory:
        stopWorker();
        throw failure(
            QStringLiteral("The web page %1 needed more memory than the %2 MB a page may use.")
                .arg(document)
                .arg(kPageMemoryMb));
    case WebFailure::RendererEnded:
        stopWorker();
        throw failure(rendererStopped(document, answer->detail));
    case WebFailure::Request:
        stopWorker();
        throw failure(QStringLiteral("The web page %1 could not be printed (%2).")
                          .arg(document, answer->detail));
    }

    QFile in(printed);
    const QByteArray pdf = in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
    if (!pdf.startsWith("%PDF"))
        throw failure(QStringLiteral("The web page %1 could not be printed.").arg(document));
    QSaveFile out(pdfFile);
    if (!out.open(QIODevice::WriteOnly) || out.write(pdf) != pdf.size() || !out.commit())
        throw failure(QStringLiteral("%1: %2").arg(pdfFile, out.errorString()));
    qCDebug(lcWebClient) << "printed" << document << pdf.size() << "bytes";
}
