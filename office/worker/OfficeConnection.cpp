#include "office/worker/OfficeConnection.h"

#include "office/worker/MemoryWatch.h"
#include "office/worker/OfficeConfinement.h"
#include "office/worker/OfficeProfile.h"
#include "office/worker/UnoText.h"
#include "office/worker/WorkerLog.h"
#include "platform/process/ProcessLauncher.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QThread>
#include <QUrl>
#include <com/sun/star/bridge/UnoUrlResolver.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/uno/RuntimeException.hpp>
#include <cppuhelper/bootstrap.hxx>

#include <cerrno>
#include <csignal>
#include <unistd.h>
#include <utility>

using namespace std::chrono_literals;
using css::uno::Reference;
using rtl::OUString;

namespace {

// A primed start takes about half a second; a loaded machine may take much longer.
constexpr int kConnectLimitMs = 60000;
constexpr int kConnectPollMs = 50;
constexpr auto kShutdownGrace = 10s;

// The UNO runtime of this process; it finds the office's type and service registries through
// the office's own bootstrap file.
Reference<css::uno::XComponentContext> localContext(const QString& officeProgram)
{
    static Reference<css::uno::XComponentContext> context;
    if (context.is())
        return context;
    const QString folder = QFileInfo(QFileInfo(officeProgram).canonicalFilePath()).path();
    const QString fundamentals = folder + "/fundamentalrc";
    if (!QFileInfo::exists(fundamentals))
        throw OfficeUnavailable(("no UNO runtime beside " + officeProgram).toStdString());
    qputenv("URE_BOOTSTRAP", "vnd.sun.star.pathname:" + fundamentals.toUtf8());
    try {
        context = cppu::defaultBootstrap_InitialComponentContext();
    } catch (const css::uno::Exception& error) {
        throw OfficeUnavailable("UNO runtime: " + fromUno(error.Message).toStdString());
    } catch (const std::exception& error) {
        throw OfficeUnavailable(std::string("UNO runtime: ") + error.what());
    }
    return context;
}

constexpr char kPipePrefix[] = "corvanta-office-";

// Where the office's UNO runtime makes the socket of a named pipe; it stays behind when the
// office is killed.
QString pipeSocket(const QString& name)
{
    return QStringLiteral("/tmp/OSL_PIPE_%1_").arg(::getuid()) + name;
}

// Sockets of offices whose workers are gone (killed runs, offices ended for time or memory
// before they could remove their own): named after a worker that no longer runs.
void removeAbandonedPipes()
{
    const QString prefix = QFileInfo(pipeSocket(kPipePrefix)).fileName();
    const QDir folder(QStringLiteral("/tmp"));
    for (const QString& name :
         folder.entryList({prefix + QLatin1Char('*')}, QDir::System | QDir::Hidden)) {
        const qint64 worker = name.mid(prefix.size()).section(QLatin1Char('-'), 0, 0).toLongLong();
        const QFileInfo socket(folder.filePath(name));
        if (worker > 0 && ::kill(pid_t(worker), 0) != 0 && errno == ESRCH &&
            socket.ownerId() == ::getuid() && !socket.isSymLink())
            QFile::remove(socket.filePath());
    }
}

QString uniquePipeName()
{
    return QString::fromLatin1(kPipePrefix) +
           QStringLiteral("%1-%2")
               .arg(QCoreApplication::applicationPid())
               .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
}

} // namespace

OfficeConnection::OfficeConnection(ProcessLauncher& processes, QString officeProgram,
                                   QString profileFolder)
    : m_processes(processes), m_program(std::move(officeProgram)),
      m_profile(std::move(profileFolder))
{
}

OfficeConnection::~OfficeConnection()
{
    shutdown();
}

Reference<css::frame::XDesktop2> OfficeConnection::desktop()
{
    if (!answers()) {
        drop();
        start();
    }
    return m_desktop;
}

bool OfficeConnection::answers()
{
    if (!m_desktop.is() || !m_office || !m_office->isRunning())
        return false;
    // An office that just died may still look alive from here; one cheap call tells.
    try {
        m_desktop->getFrames();
        return true;
    } catch (const css::uno::RuntimeException&) {
        qCWarning(lcWorker) << "the office stopped answering; starting it again";
        return false;
    }
}

void OfficeConnection::start()
{
    QElapsedTimer clock;
    clock.start();
    const Reference<css::uno::XComponentContext> local = localContext(m_program);
    if (!PrimeOfficeProfile(m_profile, InstalledOfficeVersion(m_program)))
        qCWarning(lcWorker) << "could not prime the office profile" << m_profile
                            << "; each start will be slow";

    removeAbandonedPipes();
    const QString pipe = uniquePipeName();
    m_pipe = pipe;
    const QStringList arguments = {
        "--headless",
        "--invisible",
        "--nocrashreport",
        "--nodefault",
        "--nologo",
        "--nofirststartwizard",
        "--norestore",
        "--nolockcheck",
        "-env:UserInstallation=" + QUrl::fromLocalFile(m_profile).toString(QUrl::FullyEncoded),
        "--accept=pipe,name=" + pipe + ";urp;StarOffice.ComponentContext",
    };
    ProcessCommand command;
    command.program = m_launcher.isEmpty() ? m_program : m_launcher;
    command.arguments =
        m_launcher.isEmpty() ? arguments : ConfinedStart(m_profile, m_program, arguments);
    // Its temporary files stay in its own folder, the one it may write when confined.
    const QString temporary = m_profile + "/tmp";
    QDir(temporary).removeRecursively();
    QDir().mkpath(temporary);
    command.environment.insert("TMPDIR", temporary);
    // The office chatters about Java on its error stream; nothing there is worth a pipe.
    command.output = ProcessChannel::Discard;
    command.errors = ProcessChannel::Discard;
    // In this worker's process group, so whoever kills the worker's group ends the office too.
    command.ownProcessGroup = false;
    m_office = m_processes.start(command);
    if (!m_office->isRunning())
        throw OfficeUnavailable(
            ("could not start " + m_program + ": " + m_office->finish(0ms).error).toStdString());

    const Reference<css::bridge::XUnoUrlResolver> resolver =
        css::bridge::UnoUrlResolver::create(local);
    const OUString url = toUno("uno:pipe,name=" + pipe + ";urp;StarOffice.ComponentContext");
    QDeadlineTimer deadline(kConnectLimitMs);
    Reference<css::uno::XInterface> remote;
    while (!remote.is()) {
        try {
            remote = resolver->resolve(url);
        } catch (const css::connection::NoConnectException&) {
            if (!m_office->isRunning())
                throw OfficeUnavailable("the office ended while starting");
            if (deadline.hasExpired())
                throw OfficeUnavailable("the office did not answer within a minute of its start");
            QThread::msleep(kConnectPollMs); // it is not listening yet
        }
    }
    const Reference<css::uno::XComponentContext> remoteContext(remote, css::uno::UNO_QUERY_THROW);
    m_desktop = css::frame::Desktop::create(remoteContext);
    ++m_starts;
    qCInfo(lcWorker) << "office" << m_office->processId() << "ready in" << clock.elapsed() << "ms";
}

qint64 OfficeConnection::processId() const
{
    return m_office ? m_office->processId() : -1;
}

void OfficeConnection::drop()
{
    m_desktop.clear();
    if (m_office) {
        // The office shares our process group, so killing the program we started would leave
        // the process it launched running, still answering on the profile's pipe.
        for (const qint64 process : ProcessTree(m_office->processId()))
            ::kill(pid_t(process), SIGKILL);
        m_office->kill();
        m_office.reset();
    }
    // A killed office leaves its pipe's socket behind.
    if (!m_pipe.isEmpty())
        QFile::remove(pipeSocket(std::exchange(m_pipe, QString())));
}

void OfficeConnection::shutdown()
{
    if (m_desktop.is()) {
        try {
            m_desktop->terminate();
        } catch (const css::uno::Exception&) {
            // The connection goes down with the office; that is the point.
        }
        m_desktop.clear();
    }
    if (m_office) {
        m_office->finish(kShutdownGrace);
        m_office.reset();
    }
    if (!m_pipe.isEmpty())
        QFile::remove(pipeSocket(std::exchange(m_pipe, QString())));
}
