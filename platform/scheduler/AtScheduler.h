#pragma once

#include "batch/TaskScheduler.h"

#include <QByteArray>
#include <QList>
#include <optional>

class ProcessLauncher;
struct ProcessCommand;
struct ProcessResult;

// The program's one-time tasks as jobs of the POSIX scheduler (`at`, started by atd), kept in a
// queue of the program's own so a user's other jobs are never touched. A job of that queue is
// the program's when it belongs to this user and its script carries kTaskName.
class AtScheduler final : public TaskScheduler
{
public:
    static constexpr char kQueue = 'c';

    // `queue`: a letter a-z other than b (at's batch queue). `programFolder` holds at, atq and
    // atrm.
    explicit AtScheduler(ProcessLauncher& launcher, char queue = kQueue,
                         const QString& programFolder = QStringLiteral("/usr/bin"));

    // One line per pending task: "<job> <yyyy-MM-dd hh:mm> <queue> <user> Start Corvanta Batch".
    Outcome query(const QString& queryFile) override;
    // atd starts jobs by the minute: the task starts at the beginning of the minute of `when`
    // (at once when that has passed).
    Outcome create(const QString& program, const QDateTime& when) override;
    Outcome removeAll() override;
    bool serviceRunning(QString* why) override;

private:
    struct Job
    {
        QByteArray number;
        QByteArray listing; // atq's line: number, date and time, queue, user
    };

    std::optional<QList<Job>> ownJobs(QString* error);
    ProcessCommand command(const QString& tool, const QStringList& arguments) const;
    ProcessResult run(const ProcessCommand& command);
    Outcome failure(const QString& tool, const ProcessResult& result) const;

    ProcessLauncher& m_launcher;
    QString m_queue;
    QString m_programFolder;
};
