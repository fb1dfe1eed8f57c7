#pragma once

#include "batch/TaskScheduler.h"

#include <QDate>
#include <QString>
#include <QTime>
#include <functional>

class Clock;
class Dialogs;
class FolderEdits;
class FolderSettings;
struct ProgramState;

inline const QString kTaskExistsMessage =
    kTaskMarker +
    QStringLiteral(" task already exists. Please Clear tasks if you wish to reschedule.");
inline const QString kUnableToScheduleMessage =
    QStringLiteral("Unable to schedule batch job.  Speak to your system administrator");
inline const QString kJobsClearedMessage = QStringLiteral("Corvanta Batch jobs cleared");
inline const QString kQueryFileName = QStringLiteral("querylog.txt");
inline const QString kNoStartFolderMessage =
    QStringLiteral("Choose the starting folder first: \"Run Now!\" converts the files in it.");
inline const QString kNoDestinationFolderMessage =
    QStringLiteral("Choose the ending folder first: \"Run Now!\" writes the PDF files into it.");
inline const QString kStartFolderUnreadable =
    QStringLiteral("The starting folder %1 cannot be read (%2). Nothing was converted; choose "
                   "another starting folder.");

// The "Schedule Time" half of the Bulk Conversion page.
class SchedulePage
{
public:
    virtual ~SchedulePage() = default;

    virtual bool runNowChosen() const = 0; // "Run Now!"; otherwise "Schedule Time"
    virtual QTime scheduleTime() const = 0;
    virtual QDate scheduleDate() const = 0;
};

// The Bulk Conversion page's "Schedule", "Clear Jobs" and "Cancel": a run at once, or a task in
// the system's scheduler that starts the program with -BATCH later.
class JobScheduling
{
public:
    struct Services
    {
        ProgramState& state;
        FolderEdits& edits;
        FolderSettings& settings;
        SchedulePage& page;
        TaskScheduler& scheduler;
        SystemAccount& account;
        Dialogs& dialogs;
        Clock& clock;
        std::function<void()> runBatchConversion;
        QString programPath; // what the task starts
        QString queryFile;   // where the scheduler's listing is written
    };

    explicit JobScheduling(Services services);

    void cmdOKClick();
    void cmdClearJobsClick();
    void cmdCancelClick();

    // True when the program's task exists already (the user has been told so).
    bool CheckExistingJob();
    // Asks for the account's password, then creates the task.
    void ScheduleBatchJob(const QString& programPath, const QString& timeText,
                          const QString& dateText);
    // True when the program's task is listed now.
    bool ConfirmJobScheduled();
    QString GetLocalComputerName() const;

private:
    bool runNowFoldersUsable();
    // The listing lines of the program's task; throws when no listing could be made.
    bool listed(const QString& queryContext, const QString& readContext);
    // Shows the context and the reason, and ends the Schedule press.
    [[noreturn]] void fail(const QString& context, const QString& reason);

    Services m_s;
};
