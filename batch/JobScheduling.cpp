#include "batch/JobScheduling.h"

#include "app/PathHelpers.h"
#include "batch/FolderEdits.h"
#include "batch/FolderSettings.h"
#include "batch/ProgramState.h"
#include "batch/ScheduleTexts.h"
#include "conversion/BatchLog.h"
#include "platform/clock/Clock.h"
#include "platform/dialogs/Dialogs.h"

#include <QFile>
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

void JobScheduling::cmdOKClick()
{
    QString context;
    try {
        m_s.state.BatchMode = true;
        if (!m_s.edits.destinationFolderText().isEmpty())
            m_s.state.DestinationFolder = m_s.edits.destinationFolderText();
        if (!m_s.edits.startFolderText().isEmpty())
            m_s.state.StartFolder = m_s.edits.startFolderText();
        const QString program = m_s.programPath;
        m_s.settings.SaveFolderSettings();

        context = QStringLiteral("Error Deleting scanned file.");
        // QFile::remove takes a link itself away, never what it points to.
        QFile::remove(WithTrailingBackslash(m_s.state.StartFolder) + kBatchLogName);
        QFile::remove(m_s.queryFile);

        context = QStringLiteral("Error scheduling batch ");
        if (CheckExistingJob())
            return; // the task must be cleared first, for "Run Now!" too
        if (m_s.page.runNowChosen()) {
            m_s.runBatchConversion();
            return;
        }
        ScheduleBatchJob(program, ScheduleTimeText(m_s.page.scheduleTime()),
                         ScheduleDateText(m_s.page.scheduleDate()));
    } catch (const std::exception& error) {
        m_s.dialogs.message(context + QLatin1Char(' ') + QString::fromUtf8(error.what()));
    }
}

bool JobScheduling::listed(const QString& failureContext)
{
    const TaskScheduler::Outcome query = m_s.scheduler.query(m_s.queryFile);
    QFile listing(m_s.queryFile);
    if (!query.ok || !listing.open(QIODevice::ReadOnly | QIODevice::Text)) {
        const QString reason = query.ok ? listing.errorString() : query.error;
        m_s.dialogs.message(failureContext + reason);
        throw ScheduleError(reason.toStdString());
    }
    QTextStream lines(&listing);
    QString line;
    while (lines.readLineInto(&line)) {
        if (line.contains(kTaskMarker))
            return true;
    }
    return false;
}

bool JobScheduling::CheckExistingJob()
{
    if (!listed(QStringLiteral("Listing files ")))
        return false;
    m_s.dialogs.message(kTaskExistsMessage);
    return true;
}

bool JobScheduling::ConfirmJobScheduled()
{
    return listed(QStringLiteral("Error reading scheduled tasks.  "));
}

void JobScheduling::ScheduleBatchJob(const QString& programPath, const QString& timeText,
                                     const QString& dateText)
{
    if (!m_s.state.BatchMode)
        return;
    // The dialog keeps its place: the account is shown and Cancel abandons. The password goes
    // nowhere: the system's scheduler runs the task as this user without one.
    if (!m_s.dialogs.supplyPassword(m_s.account.userName()))
        return;

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
    const TaskScheduler::Outcome created = m_s.scheduler.create(programPath, when);
    if (!created.ok) {
        m_s.dialogs.message(kUnableToScheduleMessage + QLatin1Char('\n') + created.error,
                            Dialogs::Icon::Warning);
        return;
    }
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
