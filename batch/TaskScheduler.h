#pragma once

#include <QDateTime>
#include <QString>

// The program's one task in the system's scheduler, and the text that marks a listing line as
// the program's (any line that holds it counts).
inline const QString kTaskName = QStringLiteral("Start Corvanta Batch");
inline const QString kTaskMarker = QStringLiteral("Corvanta Batch");

// The system's scheduler of one-time tasks as the Bulk Conversion page uses it. Every call
// waits (a bounded time) until the scheduler has done what it was asked.
class TaskScheduler
{
public:
    struct Outcome
    {
        bool ok = false;
        QString error; // why not, in words for the user; never a password
    };

    virtual ~TaskScheduler() = default;

    // Writes the listing of the pending tasks into `queryFile`, one line per task, each line
    // holding the task's name.
    virtual Outcome query(const QString& queryFile) = 0;
    // Creates the one-time task kTaskName that starts `program` with exactly -BATCH at `when`
    // (local time), under the user running this program and without a display.
    virtual Outcome create(const QString& program, const QDateTime& when) = 0;
    // Deletes every pending task of the program.
    virtual Outcome removeAll() = 0;
    // False when the scheduler's service is not running, so a task would never start; `why`
    // then says what to do.
    virtual bool serviceRunning(QString* why) = 0;
};

// The account the program runs under, as the scheduler's task will.
class SystemAccount
{
public:
    virtual ~SystemAccount() = default;

    // The computer's name, at most 15 characters.
    virtual QString computerName() const = 0;
    // The user's name, surrounding blanks and control characters trimmed.
    virtual QString userName() const = 0;
};
