#include "platform/scheduler/AtScheduler.h"

#include "platform/files/ScratchArea.h"
#include "platform/process/ProcessLauncher.h"
#include "platform/scheduler/AtDaemon.h"
#include "platform/scheduler/AtJobScript.h"
#include "platform/scheduler/SchedulerLog.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QSaveFile>

#include <unistd.h>

using namespace std::chrono_literals;

namespace {

// at, atq and atrm only read and write the spool folder and signal atd.
constexpr std::chrono::milliseconds kToolTimeLimit = 10s;
// at -t takes [[CC]YY]MMDDhhmm[.ss] in local time.
const QString kAtTime = QStringLiteral("yyyyMMddHHmm.ss");
const QString kListingTime = QStringLiteral("%Y-%m-%d %H:%M");

TaskScheduler::Outcome done()
{
    return {true, {}};
}

TaskScheduler::Outcome refused(const QString& error)
{
    return {false, error};
}

// The job's working folder: at records the caller's and the job ends at once when it is gone.
QString stableFolder()
{
    const QString home = QDir::homePath();
    return QFileInfo(home).isDir() ? home : QStringLiteral("/");
}

// The temporary folder the job's run starts from: the one from before this run's own area.
QString jobTemporaryFolder()
{
    const QString outer = ScratchArea::outerTemporaryFolder();
    return outer.isEmpty() ? qEnvironmentVariable("TMPDIR") : outer;
}

TaskScheduler::Outcome writeOwnerOnly(const QString& path, const QByteArray& text)
{
    QSaveFile file(path);
    const auto why = [&] {
        return refused(QStringLiteral("The list of scheduled tasks could not be written to %1: %2")
                           .arg(QDir::toNativeSeparators(path), file.errorString()));
    };
    if (!file.open(QIODevice::WriteOnly))
        return why();
    if (!file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        return why();
    if (file.write(text) != text.size() || !file.commit())
        return why();
    return done();
}

} // namespace

AtScheduler::AtScheduler(ProcessLauncher& launcher, char queue, const QString& programFolder)
    : m_launcher(launcher), m_queue(QChar::fromLatin1(queue)), m_programFolder(programFolder)
{
    Q_ASSERT(queue >= 'a' && queue <= 'z' && queue != 'b');
}

TaskScheduler::Outcome AtScheduler::query(const QString& queryFile)
{
    QString error;
    const std::optional<QList<Job>> jobs = ownJobs(&error);
    if (!jobs)
        return refused(error);
    QByteArray listing;
    for (const Job& job : *jobs)
        listing += job.listing + ' ' + kTaskName.toUtf8() + '\n';
    return writeOwnerOnly(queryFile, listing);
}

TaskScheduler::Outcome AtScheduler::create(const QString& program, const QDateTime& when)
{
    if (!when.isValid())
        return refused(QStringLiteral("The task has no valid start time."));
    if (!QFileInfo(program).isAbsolute() || program.contains(QChar(0)))
        return refused(QStringLiteral("The task needs the program's full path, not \"%1\".")
                           .arg(QDir::toNativeSeparators(program)));

    const QString time = QLocale::c().toString(when.toLocalTime(), kAtTime);
    ProcessCommand submit = command(QStringLiteral("at"), {"-q", m_queue, "-t", time});
    submit.standardInput = AtJobScript(program, jobTemporaryFolder());
    submit.workingDirectory = stableFolder();
    const ProcessResult result = run(submit);
    if (!result.succeeded())
        return failure(QStringLiteral("at"), result);
    // at confirms on standard error: "job 12 at Tue Dec  8 13:05:00 2026".
    static const QRegularExpression confirmed(QStringLiteral("^job \\d+ at "),
                                              QRegularExpression::MultilineOption);
    const QString said = QString::fromLocal8Bit(result.standardError).trimmed();
    if (!confirmed.match(said).hasMatch()) {
        return refused(QStringLiteral("The system scheduler's program %1/at did not confirm the "
                                      "task: %2")
                           .arg(m_programFolder, said));
    }
    return done();
}

TaskScheduler::Outcome AtScheduler::removeAll()
{
    QString error;
    const std::optional<QList<Job>> jobs = ownJobs(&error);
    if (!jobs)
        return refused(error);
    if (jobs->isEmpty())
        return done();
    QStringList numbers;
    for (const Job& job : *jobs)
        numbers << QString::fromLatin1(job.number);
    const ProcessResult result = run(command(QStringLiteral("atrm"), numbers));
    if (result.succeeded())
        return done();
    // A job that started meanwhile is no longer pending, and atrm cannot find it: only a job
    // still waiting is a failure.
    const std::optional<QList<Job>> left = ownJobs(&error);
    if (!left)
        return refused(error);
    for (const Job& job : *left) {
        if (numbers.contains(QString::fromLatin1(job.number)))
            return failure(QStringLiteral("atrm"), result);
    }
    return done();
}

bool AtScheduler::serviceRunning(QString* why)
{
    if (AtDaemonRunning(kAtdPidFile, kProcessFolder))
        return true;
    if (why) {
        *why = QStringLiteral("The system scheduler (atd) is not running, so a scheduled task "
                              "would never start: start it, e.g. `sudo systemctl start atd`, and "
                              "have it start with the computer: `sudo systemctl enable atd`.");
    }
    return false;
}

std::optional<QList<AtScheduler::Job>> AtScheduler::ownJobs(QString* error)
{
    const ProcessResult listed =
        run(command(QStringLiteral("atq"), {"-q", m_queue, "-o", kListingTime}));
    if (!listed.succeeded()) {
        *error = failure(QStringLiteral("atq"), listed).error;
        return std::nullopt;
    }
    QList<Job> jobs;
    // "12<TAB>2026-12-08 13:05 c alice"
    for (const QByteArray& line : listed.standardOutput.split('\n')) {
        const QByteArray number = line.left(line.indexOf('\t'));
        bool isNumber = false;
        number.toUInt(&isNumber);
        if (!isNumber)
            continue;
        const ProcessResult script = run(command(QStringLiteral("at"), {"-c", number}));
        if (!script.succeeded()) {
            // Started between atq and now: no longer pending.
            if (script.started && !script.timedOut &&
                script.standardError.contains("Cannot find jobid"))
                continue;
            *error = failure(QStringLiteral("at"), script).error;
            return std::nullopt;
        }
        if (IsOwnJobScript(script.standardOutput, ::geteuid()))
            jobs.append({number, QByteArray(line).replace('\t', ' ')});
    }
    return jobs;
}

ProcessCommand AtScheduler::command(const QString& tool, const QStringList& arguments) const
{
    ProcessCommand command;
    command.program = m_programFolder + '/' + tool;
    command.arguments = arguments;
    command.environment = JobEnvironment(QProcessEnvironment::systemEnvironment());
    command.timeLimit = kToolTimeLimit;
    return command;
}

ProcessResult AtScheduler::run(const ProcessCommand& command)
{
    ProcessResult result = m_launcher.run(command);
    qCDebug(lcScheduler) << command.program << command.arguments << "exit" << result.exitCode
                         << result.standardError.trimmed();
    return result;
}

TaskScheduler::Outcome AtScheduler::failure(const QString& tool, const ProcessResult& result) const
{
    const QString program = m_programFolder + '/' + tool;
    if (!result.started) {
        return refused(QStringLiteral("The system scheduler's program %1 could not be started "
                                      "(%2): install it, e.g. `sudo apt-get install at`.")
                           .arg(program, result.error));
    }
    if (result.timedOut) {
        return refused(
            QStringLiteral("The system scheduler's program %1 did not finish within "
                           "%2 seconds.")
                .arg(program)
                .arg(std::chrono::duration_cast<std::chrono::seconds>(kToolTimeLimit).count()));
    }
    const QString said = QString::fromLocal8Bit(result.standardError).trimmed();
    if (result.crashed)
        return refused(QStringLiteral("The system scheduler's program %1 crashed.").arg(program));
    return refused(QStringLiteral("The system scheduler's program %1 failed (exit status %2)%3")
                       .arg(program)
                       .arg(result.exitCode)
                       .arg(said.isEmpty() ? QStringLiteral(".") : QStringLiteral(": ") + said));
}
