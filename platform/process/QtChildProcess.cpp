#include "platform/process/QtChildProcess.h"

#include "platform/process/ProcessLog.h"

#include <QDeadlineTimer>

#include <algorithm>
#include <climits>

#ifdef Q_OS_UNIX
#include <csignal>
#include <unistd.h>
#endif
#ifdef Q_OS_LINUX
#include <sys/prctl.h>
#endif

namespace {

// A long-lived child's error stream is kept only this far back.
constexpr qsizetype kErrorTailBytes = qsizetype(64) * 1024;
// How long a child killed outright may take to be reaped.
constexpr int kReapMs = 5000;
// Writing one line to a live child never takes long; a child that stopped reading has hung.
constexpr int kWriteMs = 10000;
// The longest a wait blocks before it asks whileWaiting again.
constexpr qint64 kSliceMs = 50;

QDeadlineTimer deadlineAfter(std::chrono::milliseconds limit)
{
    return QDeadlineTimer(std::max<qint64>(0, limit.count()));
}

#ifdef Q_OS_UNIX
// Runs in the child between fork and exec: only async-signal-safe calls.
void prepareChild(bool ownGroup, pid_t parent)
{
    if (ownGroup)
        ::setpgid(0, 0);
#ifdef Q_OS_LINUX
    // Whatever way the program ends, a crash or SIGKILL included, the kernel ends its children.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    // The parent may have ended before the line above: nobody would signal us any more.
    if (::getppid() != parent)
        ::_exit(127);
#else
    (void)parent;
#endif
}
#endif

} // namespace

QtChildProcess::QtChildProcess(const ProcessCommand& command)
    : m_ownGroup(command.ownProcessGroup),
      m_captureOutput(command.output == ProcessChannel::Capture),
      m_captureErrors(command.errors == ProcessChannel::Capture),
      m_whileWaiting(command.whileWaiting)
{
    m_process.setProgram(command.program);
    m_process.setArguments(command.arguments);
    m_process.setProcessEnvironment(command.environment);
    if (!command.workingDirectory.isEmpty())
        m_process.setWorkingDirectory(command.workingDirectory);

    const bool forwardOut = command.output == ProcessChannel::Forward;
    const bool forwardErr = command.errors == ProcessChannel::Forward;
    m_process.setProcessChannelMode(forwardOut && forwardErr ? QProcess::ForwardedChannels
                                    : forwardOut             ? QProcess::ForwardedOutputChannel
                                    : forwardErr             ? QProcess::ForwardedErrorChannel
                                                             : QProcess::SeparateChannels);
    if (command.output == ProcessChannel::Discard)
        m_process.setStandardOutputFile(QProcess::nullDevice());
    if (command.errors == ProcessChannel::Discard)
        m_process.setStandardErrorFile(QProcess::nullDevice());

#ifdef Q_OS_UNIX
    m_process.setChildProcessModifier(
        [ownGroup = m_ownGroup, parent = ::getpid()] { prepareChild(ownGroup, parent); });
#endif

    m_process.start();
    m_started = m_process.waitForStarted(-1);
    if (!m_started) {
        m_startError = m_process.errorString();
        qCWarning(lcProcess) << "could not start" << command.program << ":" << m_startError;
        return;
    }
    m_pid = m_process.processId();
    qCDebug(lcProcess) << "started" << command.program << "as" << m_pid;
    if (!command.standardInput.isEmpty()) {
        m_process.write(command.standardInput);
        sendPending(QDeadlineTimer(kWriteMs));
    }
}

QtChildProcess::~QtChildProcess()
{
    if (m_started)
        killGroup();
}

bool QtChildProcess::isRunning()
{
    if (m_process.state() == QProcess::NotRunning)
        return false;
    // The state changes only when QProcess looks; look now, without waiting.
    return !m_process.waitForFinished(0);
}

bool QtChildProcess::writeLine(const QByteArray& line)
{
    if (!isRunning())
        return false;
    if (m_process.write(line + '\n') < 0)
        return false;
    return sendPending(QDeadlineTimer(kWriteMs));
}

std::optional<QByteArray> QtChildProcess::readLine(std::chrono::milliseconds limit)
{
    if (!m_captureOutput)
        return std::nullopt;
    const QDeadlineTimer deadline = deadlineAfter(limit);
    while (!m_process.canReadLine() && m_process.state() == QProcess::Running &&
           !deadline.hasExpired()) {
        // Returns on new output, the child's end or the slice's end; the error stream is read
        // on the way, so it is trimmed here.
        m_process.waitForReadyRead(slice(deadline));
        keepErrorTail();
        if (!m_process.canReadLine() && stopRequested())
            return std::nullopt;
    }
    if (!m_process.canReadLine())
        return std::nullopt;
    QByteArray line = m_process.readLine();
    if (line.endsWith('\n'))
        line.chop(1);
    if (line.endsWith('\r'))
        line.chop(1);
    return line;
}

ProcessResult QtChildProcess::finish(std::chrono::milliseconds grace)
{
    if (m_started && m_process.state() != QProcess::NotRunning) {
        m_process.closeWriteChannel();
        const QDeadlineTimer deadline = deadlineAfter(grace);
        while (m_process.state() != QProcess::NotRunning &&
               !m_process.waitForFinished(slice(deadline))) {
            if (deadline.hasExpired()) {
                qCWarning(lcProcess) << "child" << m_pid << "did not end by itself; killing it";
                m_killed = true;
                break;
            }
            if (stopRequested())
                break;
        }
    }
    if (m_started)
        killGroup(); // also whatever the child left behind in its group
    return collect();
}

ProcessResult QtChildProcess::kill()
{
    if (m_started) {
        m_killed = m_process.state() != QProcess::NotRunning;
        killGroup();
    }
    return collect();
}

ProcessResult QtChildProcess::waitForEnd(std::chrono::milliseconds limit)
{
    if (!m_started)
        return collect();
    m_process.closeWriteChannel();
    const QDeadlineTimer deadline = deadlineAfter(limit);
    while (m_process.state() != QProcess::NotRunning &&
           !m_process.waitForFinished(slice(deadline))) {
        if (deadline.hasExpired()) {
            qCWarning(lcProcess) << "child" << m_pid << "passed its time limit of" << limit.count()
                                 << "ms; killing it";
            m_timedOut = true;
            killGroup();
            break;
        }
        if (stopRequested())
            break;
    }
    return collect();
}

bool QtChildProcess::sendPending(const QDeadlineTimer& deadline)
{
    while (m_process.bytesToWrite() > 0) {
        if (m_process.waitForBytesWritten(slice(deadline)))
            continue;
        if (m_process.state() != QProcess::Running || deadline.hasExpired() || stopRequested())
            return false;
    }
    return true;
}

int QtChildProcess::slice(const QDeadlineTimer& deadline) const
{
    const qint64 left = std::max<qint64>(0, deadline.remainingTime());
    return int(std::min<qint64>(left, m_whileWaiting ? kSliceMs : INT_MAX));
}

bool QtChildProcess::stopRequested()
{
    if (!m_whileWaiting || m_whileWaiting())
        return false;
    qCInfo(lcProcess) << "stopped waiting for child" << m_pid << "; killing it";
    m_cancelled = true;
    killGroup();
    return true;
}

void QtChildProcess::keepErrorTail()
{
    if (!m_captureErrors)
        return;
    m_errorTail += m_process.readAllStandardError();
    if (m_errorTail.size() > kErrorTailBytes)
        m_errorTail = m_errorTail.right(kErrorTailBytes);
}

void QtChildProcess::killGroup()
{
#ifdef Q_OS_UNIX
    // The group outlives its leader while any member is left, so this also reaches grandchildren
    // of a child that has already ended.
    if (m_ownGroup && m_pid > 0)
        ::kill(-pid_t(m_pid), SIGKILL);
#endif
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(kReapMs);
    }
}

ProcessResult QtChildProcess::collect()
{
    ProcessResult result;
    result.started = m_started;
    result.error = m_startError;
    if (!m_started)
        return result;
    result.timedOut = m_timedOut;
    result.cancelled = m_cancelled;
    if (m_process.state() == QProcess::NotRunning) {
        const bool signalled = m_process.exitStatus() == QProcess::CrashExit;
        result.crashed = signalled && !m_timedOut && !m_killed && !m_cancelled;
        result.exitCode = signalled ? -1 : m_process.exitCode();
        // For a child that a signal ended, QProcess gives the signal as its exit code.
        result.signal = signalled ? m_process.exitCode() : 0;
    }
    if (m_captureOutput)
        result.standardOutput = m_process.readAllStandardOutput();
    if (m_captureErrors)
        result.standardError = m_errorTail + m_process.readAllStandardError();
    qCDebug(lcProcess) << "child" << m_pid << "ended: exit code" << result.exitCode << "crashed"
                       << result.crashed << "timed out" << result.timedOut;
    return result;
}
