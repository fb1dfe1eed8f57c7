#include "platform/process/QtChildProcess.h"

#include "platform/process/ProcessLog.h"

#include <QDeadlineTimer>

#include <algorithm>
#include <climits>

#ifdef Q_OS_UNIX
#include <csignal>
#include <unistd.h>
#endif

namespace {

// A long-lived child's error stream is kept only this far back.
constexpr qsizetype kErrorTailBytes = 64 * 1024;
// How long a child killed outright may take to be reaped.
constexpr int kReapMs = 5000;
// Writing one line to a live child never takes long; a child that stopped reading has hung.
constexpr int kWriteMs = 10000;

int toWait(std::chrono::milliseconds limit)
{
    return limit.count() > INT_MAX ? INT_MAX : int(std::max<qint64>(0, limit.count()));
}

} // namespace

QtChildProcess::QtChildProcess(const ProcessCommand& command)
    : m_ownGroup(command.ownProcessGroup),
      m_captureOutput(command.output == ProcessChannel::Capture),
      m_captureErrors(command.errors == ProcessChannel::Capture)
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
    if (m_ownGroup)
        m_process.setChildProcessModifier([] { ::setpgid(0, 0); });
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
        m_process.waitForBytesWritten(kWriteMs);
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
    while (m_process.bytesToWrite() > 0) {
        if (!m_process.waitForBytesWritten(kWriteMs))
            return false;
    }
    return true;
}

std::optional<QByteArray> QtChildProcess::readLine(std::chrono::milliseconds limit)
{
    if (!m_captureOutput)
        return std::nullopt;
    QDeadlineTimer deadline(limit);
    while (!m_process.canReadLine() && m_process.state() == QProcess::Running &&
           !deadline.hasExpired()) {
        // Returns on new output, the child's end or the deadline; the error stream is read on
        // the way, so it is trimmed here.
        m_process.waitForReadyRead(int(std::min<qint64>(deadline.remainingTime(), INT_MAX)));
        keepErrorTail();
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
        if (!m_process.waitForFinished(toWait(grace))) {
            qCWarning(lcProcess) << "child" << m_pid << "did not end by itself; killing it";
            m_killed = true;
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
    if (!m_process.waitForFinished(toWait(limit))) {
        qCWarning(lcProcess) << "child" << m_pid << "passed its time limit of" << limit.count()
                             << "ms; killing it";
        m_timedOut = true;
        killGroup();
    }
    return collect();
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
    if (m_process.state() == QProcess::NotRunning) {
        const bool signalled = m_process.exitStatus() == QProcess::CrashExit;
        result.crashed = signalled && !m_timedOut && !m_killed;
        result.exitCode = signalled ? -1 : m_process.exitCode();
    }
    if (m_captureOutput)
        result.standardOutput = m_process.readAllStandardOutput();
    if (m_captureErrors)
        result.standardError = m_errorTail + m_process.readAllStandardError();
    qCDebug(lcProcess) << "child" << m_pid << "ended: exit code" << result.exitCode << "crashed"
                       << result.crashed << "timed out" << result.timedOut;
    return result;
}
