// The web worker: hosts Qt WebEngine for the program, so that a page that crashes, hangs or
// takes down the engine costs that page only. It reads one request line at a time on standard
// input and answers every render with one line on standard output.
//
//   corvanta-web-worker --wait-limit-ms <ms> --page-memory-mb <MB>
//
// It never shows a window, and dies with the program: it leads its process group, which holds
// the engine's own processes, and ends the whole group when the program ends.
#include "platform/process/WorkerLife.h"
#include "web/EngineFlags.h"
#include "web/WebProtocol.h"
#include "web/worker/PageEngine.h"
#include "web/worker/PageFolderScheme.h"
#include "web/worker/WebWorkerLog.h"

#include <QFile>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QSocketNotifier>
#include <QStringList>

#include <cerrno>
#include <iostream>
#include <unistd.h>

namespace {

// A request line longer than this is not one of ours.
constexpr qsizetype kLineLimit = qsizetype(64) * 1024;

// Read before the engine starts: it takes its switches and platform once.
void prepareEngine(int pageMemoryMb)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // The engine's sandbox refuses to run as root; a desktop user never is.
    if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    // The memory watch ends a page at its limit, and says so; V8 ends the scripts at twice
    // that, should a page outrun the watch.
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS",
            ConfinedEngineFlags(qgetenv("QTWEBENGINE_CHROMIUM_FLAGS"), 2 * pageMemoryMb));
    // The engine lists its start-up flags on every start; the program's standard error is for
    // its progress lines. (QT_LOGGING_RULES still brings the list back.)
    QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.info=false"));
    RegisterPageScheme();
}

int option(int argc, char** argv, const char* name)
{
    for (int i = 1; i + 1 < argc; ++i) {
        if (qstrcmp(argv[i], name) == 0)
            return QByteArray(argv[i + 1]).toInt();
    }
    return 0;
}

// Takes request lines as they come, between the pages' own events: a page loaded ahead goes on
// loading and printing while the worker waits for the next request.
class Requests
{
public:
    Requests(PageEngine& engine, QFile& answers)
        : m_engine(engine), m_answers(answers), m_input(STDIN_FILENO, QSocketNotifier::Read)
    {
        QObject::connect(&m_input, &QSocketNotifier::activated, [this] { readSome(); });
    }

private:
    void readSome()
    {
        char buffer[16 * 1024];
        const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (got < 0 && (errno == EINTR || errno == EAGAIN))
            return;
        if (got <= 0) {
            m_input.setEnabled(false);
            QCoreApplication::quit(); // the program closed our input: the polite end
            return;
        }
        m_pending.append(buffer, got);
        // A render waits in an event loop of its own: no request is read meanwhile.
        m_input.setEnabled(false);
        qsizetype end = 0;
        while ((end = m_pending.indexOf('\n')) >= 0) {
            const QByteArray line = m_pending.left(end);
            m_pending.remove(0, end + 1);
            serve(line);
        }
        if (m_pending.size() > kLineLimit) {
            m_pending.clear();
            answer({WebFailure::Request, QStringLiteral("request too long")});
        }
        m_input.setEnabled(true);
    }

    void serve(const QByteArray& line)
    {
        const auto request = WebRequest::fromLine(line);
        if (!request) {
            qCWarning(lcWebWorker) << "bad request:" << line.left(200);
            answer({WebFailure::Request, QStringLiteral("bad request")});
            return;
        }
        switch (request->command) {
        case WebCommand::Prepare:
            m_engine.prepare(*request);
            break;
        case WebCommand::Forget:
            m_engine.forget();
            break;
        case WebCommand::Render:
            answer(m_engine.render(*request));
            m_engine.settle();
            break;
        }
    }

    void answer(const WebAnswer& answer)
    {
        // A failed write means the program went away; its end closes our input as well.
        m_answers.write(answer.toLine() + '\n');
        m_answers.flush();
    }

    PageEngine& m_engine;
    QFile& m_answers;
    QSocketNotifier m_input;
    QByteArray m_pending;
};

} // namespace

int main(int argc, char** argv)
{
    TieGroupToParent(::getppid());
    const int waitLimitMs = option(argc, argv, "--wait-limit-ms");
    const int pageMemoryMb = option(argc, argv, "--page-memory-mb");
    if (waitLimitMs <= 0 || pageMemoryMb <= 0) {
        std::cerr << "usage: corvanta-web-worker --wait-limit-ms <ms> --page-memory-mb <MB>\n";
        return 2;
    }
    // Only answers go to standard output: whatever a library prints there goes to the log.
    const int answers = ::dup(STDOUT_FILENO);
    ::dup2(STDERR_FILENO, STDOUT_FILENO);
    QFile out;
    if (answers < 0 || !out.open(answers, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle))
        return 2;

    prepareEngine(pageMemoryMb);
    QGuiApplication app(argc, argv);
    int status = 0;
    {
        PageEngine engine{std::chrono::milliseconds(waitLimitMs), pageMemoryMb};
        Requests requests(engine, out);
        status = QGuiApplication::exec();
    }
    return status;
}
