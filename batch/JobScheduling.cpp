#include "batch/JobScheduling.h"

#include "batch/FolderEdits.h"
#include "batch/FolderSettings.h"
#include "batch/ScheduleTexts.h"
#include "common/Clock.h"
#include "common/Dialogs.h"
#include "common/PathHelpers.h"
#include "common/ProgramState.h"
#include "conversion/BatchLog.h"
#include "conversion/ConversionRun.h"
#include "conversion/DocumentFile.h"

#include <QFile>
#include <QScopeGuard>
#include <QTextStream>
#include <stdexcept>

namespace {

// A step of the Schedule button failed; the handler shows its context text and this one.
class ScheduleError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

} // namespace

JobScheduling::JobScheduling(Services services) : m_s(std::move(services)) {}

QString JobScheduling::GetLocalComputerName() const
{
    return m_s.account.computerName();
}

// "Run Now!" converts at once, so folders it cannot use are refused before anything changes:
// the list, the stored folders and the last run's log stay as they are.
bool JobScheduling::runNowFoldersUsable()
{
    const QString start = m_s.edits.startFolderText();
    const QString destination = m_s.edits.destinationFolderText();
    QString refusal;
    if (start.isEmpty()) {
        refusal = kNoStartFolderMessage;
    } else if (const QString why = FolderReadProblem(start); !why.isEmpty()) {
        refusal = kStartFolderUnreadable.arg(start, why);
    } else if (destination.isEmpty()) {
        refusal = kNoDestinationFolderMessage;
    } else if (const QString why = FolderWriteProblem(destination); !why.isEmpty()) {
        refusal = kEndingFolderUnwritable.arg(destination, why);
    }
    if (refusal.isEmpty())
        return true;
    m_s.dialogs.message(refusal, Dialogs::Icon::Warning);
    return false;
}

void JobScheduling::cmdOKClick()
{
    const bool runNow = m_s.page.runNowChosen();
    if (runNow && !runNowFoldersUsable())
        return;
    // Bulk mode lasts as long as this press: whatever it ends in, "Generate PDF" afterwards
    // converts the list the Generate PDF page shows.
    m_s.state.BatchMode = true;
    const auto leaveBulkMode = qScopeGuard([this] { m_s.state.BatchMode = false; });
    QString context;
    try {
        if (!m_s.edits.destinationFolderText().isEmpty())
            m_s.state.DestinationFolder = m_s.edits.destinationFolderText();
        if (!m_s.edits.startFolderText().isEmpty())
            m_s.state.StartFolder = m_s.edits.startFolderText();
        const QString program = m_s.programPath;
        m_s.settings.SaveFolderSettings();

        context = QStringLiteral("Error Deleting scanned file.");
        QFile::remove(m_s.queryFile);

        context = QStringLiteral("Error scheduling batch ");
        if (CheckExistingJob())
            return; // the task must be cleared first, for "Run Now!" too
        if (runNow) {
            // The run replaces the last run's log as it opens its own; a run refused before
            // that (another one converts the folder) leaves it alone.
            m_s.runBatchConversion();
            return;
        }
        ScheduleBatchJob(program, ScheduleTimeText(m_s.page.scheduleTime()),
                         ScheduleDateText(m_s.page.scheduleDate()));
    } catch (const std::exception& error) {
        m_s.dialogs.message(context + QLatin1Char(' ') + QString::fromUtf8(error.what()));
    }
}

bool JobScheduling::listed(const QString& queryContext, const QString& readContext)
{
    const TaskScheduler::Outcome query = m_s.scheduler.query(m_s.queryFile);
    if (!query.ok)
        fail(queryContext, query.error);
    QFile listing(m_s.queryFile);
    if (!listing.open(QIODevice::ReadOnly | QIODevice::Text))
        fail(readContext, listing.errorString());
    QTextStream lines(&listing);
    QString line;
    while (lines.readLineInto(&line)) {
        if (line.contains(kTaskMarker))
            return true;
    }
    return false;
}

void JobScheduling::fail(const QString& context, const QString& reason)
{
    m_s.dialogs.message(context + reason);
    throw ScheduleError(reason.toStdString());
}

bool JobScheduling::CheckExistingJob()
{
    const QString context = QStringLiteral("Listing files ");
    if (!listed(context, context))
        return false;
    m_s.dialogs.message(kTaskExistsMessage);
    return true;
}

bool JobScheduling::ConfirmJobScheduled()
{
    // The existence check's listing must not stand in for the new one.
    QFile previous(m_s.queryFile);
    if (previous.exists() && !previous.remove())
        fail(QStringLiteral("Error Opening Text file.  "), previous.errorString());
    return listed(QStringLiteral("Error checking scheduled tasks.  "),
                  QStringLiteral("Error reading scheduled tasks.  "));
}

void JobScheduling::ScheduleBatchJob(const QString& programPath, const QString& timeText,
                                     const QString& dateText)
{
    if (!m_s.state.BatchMode)
        return;
    // What would refuse the task is found before the password is asked for.
    QString why;
    if (!m_s.scheduler.serviceRunning(&why)) {
        m_s.dialogs.message(kUnableToScheduleMessage + QLatin1Char('\n') + why,
                            Dialogs::Icon::Warning);
        return;
    }
    const QDateTime when(m_s.page.scheduleDate(), m_s.page.scheduleTime());
    if (when <= m_s.clock.now()) {
        m_s.dialogs.message(QStringLiteral("The time chosen, %1 on %2, has already passed: no "
                                           "task was created. Choose a later time, or \"Run "
                                           "Now!\".")
                                .arg(timeText, dateText),
                            Dialogs::Icon::Warning);
        return;
    }
    // The dialog keeps its place: the account is shown and Cancel abandons. The password goes
    // nowhere: the system's scheduler runs the task as this user without one.
    if (!m_s.dialogs.supplyPassword(m_s.account.userName()))
        return;

    const TaskScheduler::Outcome created = m_s.scheduler.create(programPath, when);
    if (!created.ok) {
        m_s.dialogs.message(kUnableToScheduleMessage + QLatin1Char('\n') + created.error,
                            Dialogs::Icon::Warning);
        return;
    }
    // The last run's log goes once there is a task whose run will write the next one; a press
    // that created nothing leaves it to be read.
    QFile::remove(WithTrailingBackslash(m_s.state.StartFolder) + kBatchLogName);
    if (ConfirmJobScheduled())
        m_s.dialogs.message(QStringLiteral("Corvanta Batch job scheduled for ") + timeText +
                            QStringLiteral(" on ") + dateText + QLatin1Char('.'));
    else
        m_s.dialogs.message(kUnableToScheduleMessage);
}

void JobScheduling::cmdClearJobsClick()
{
    const TaskScheduler::Outcome removed = m_s.scheduler.removeAll();
    // Only a removal that worked is reported as done.
    if (removed.ok)
        m_s.dialogs.message(kJobsClearedMessage);
    else
        m_s.dialogs.message(QStringLiteral("Error clearing scheduled Corvanta tasks") +
                            removed.error);
}

void JobScheduling::cmdCancelClick()
{
    m_s.state.BatchMode = false;
}
