// The Bulk Conversion page's Schedule, Clear Jobs and Cancel against a scheduler that records
// what it is asked; the real one (`at`) is tested on its own and end to end.
#include "batch/JobScheduling.h"
#include "batch/FolderEdits.h"
#include "batch/FolderSettings.h"
#include "batch/ScheduleTexts.h"
#include "batch/SchtasksCommandLines.h"
#include "common/ProgramState.h"
#include "conversion/ConversionRun.h"
#include "platform/settings/FileSettingsStore.h"
#include "tests/support/FakeClock.h"
#include "tests/support/FakeSchedulePage.h"
#include "tests/support/ScriptedDialogs.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class FakeScheduler final : public TaskScheduler
{
public:
    Outcome query(const QString& queryFile) override
    {
        if (++queries > workingQueries)
            return {false, "atq is missing"};
        QFile file(queryFile);
        file.open(QIODevice::WriteOnly);
        file.write("12\tSat Jul 12 14:05:00 2026 c root\n");
        for (int i = 0; i < tasks.size(); ++i)
            file.write("13\tSat Jul 12 14:05:00 2026 c root Start Corvanta Batch\n");
        return {true, {}};
    }
    Outcome create(const QString& program, const QDateTime& when) override
    {
        created.append(program + " at " + when.toString(Qt::ISODate));
        if (onCreate)
            onCreate();
        if (!createWorks)
            return {false, "at refused it"};
        if (taskAppears)
            tasks.append(program);
        return {true, {}};
    }
    Outcome removeAll() override
    {
        ++removals;
        tasks.clear();
        return {removeWorks, removeWorks ? QString() : QStringLiteral(": atrm is missing")};
    }
    bool serviceRunning(QString* why) override
    {
        if (!running && why)
            *why = "the system scheduler (atd) is not running";
        return running;
    }

    QStringList tasks;
    QStringList created;
    int queries = 0;
    int removals = 0;
    int workingQueries = 1000; // the queries after these fail
    std::function<void()> onCreate;
    bool createWorks = true;
    bool taskAppears = true;
    bool removeWorks = true;
    bool running = true;
};

class FakeAccount final : public SystemAccount
{
public:
    QString computerName() const override { return "OFFICE-PC"; }
    QString userName() const override { return "mary"; }
};

using FakePage = FakeSchedulePage;

struct Harness
{
    Harness()
    {
        page.start = folders.filePath("in");
        page.destination = folders.filePath("out");
        QDir().mkpath(page.start);
        QDir().mkpath(page.destination);
        QFile(log()).open(QIODevice::WriteOnly); // the last run's

        clock.moment = QDateTime(QDate(2026, 7, 12), QTime(9, 0));
        dialogs.passwordAnswers.enqueue(QString("secret"));
    }
    QString queryFile() const { return folders.filePath("querylog.txt"); }
    QString log() const { return page.start + "/Corvanta_Batch.txt"; }
    QString storedStart()
    {
        SettingsError error;
        const auto value =
            store.readValue("Software\\Corvanta\\Program", "ConvertStartFolder", error);
        return value ? value->text() : QString();
    }

    QTemporaryDir folders;
    ProgramState state;
    FakePage page;
    FileSettingsStore store{folders.filePath("settings.ini")};
    FolderSettings settings{store, state, page};
    FakeScheduler scheduler;
    FakeAccount account;
    ScriptedDialogs dialogs;
    FakeClock clock;
    int runs = 0;
    bool batchModeInRun = false;
    JobScheduling jobs{{state, page, settings, page, scheduler, account, dialogs, clock,
                        [this] {
                            ++runs;
                            batchModeInRun = state.BatchMode;
                        },
                        "/opt/Corvanta Tool/corvanta", queryFile()}};
};

TEST(JobSchedulingTest, ScheduleTimeCreatesTheTaskAfterTheCredentialsAndConfirmsIt)
{
    Harness h;
    QFile(h.queryFile()).open(QIODevice::WriteOnly);
    h.jobs.cmdOKClick();
    EXPECT_EQ(h.scheduler.created,
              QStringList{"/opt/Corvanta Tool/corvanta at 2026-07-12T14:05:00"});
    EXPECT_EQ(h.dialogs.passwordRequests, QStringList{"mary"});
    EXPECT_EQ(h.dialogs.texts(),
              QStringList{"Corvanta Batch job scheduled for " + ScheduleTimeText({14, 5, 0}) +
                          " on " + ScheduleDateText({2026, 7, 12}) + "."});
    EXPECT_FALSE(h.state.BatchMode) << "bulk mode ends with the press";
    EXPECT_FALSE(QFile::exists(h.log())) << "the task's run writes the next log";
    EXPECT_EQ(h.state.StartFolder, h.page.start);
    EXPECT_EQ(h.runs, 0);
    EXPECT_EQ(h.storedStart(), h.page.start) << "stored for the run the task starts";
}

TEST(JobSchedulingTest, AnExistingTaskRefusesEverySchedulingRunNowIncluded)
{
    for (const bool runNow : {false, true}) {
        Harness h;
        h.scheduler.tasks = {"earlier"};
        h.page.runNow = runNow;
        h.jobs.cmdOKClick();
        EXPECT_EQ(h.dialogs.texts(), QStringList{kTaskExistsMessage});
        EXPECT_TRUE(h.scheduler.created.isEmpty());
        EXPECT_EQ(h.runs, 0);
        EXPECT_TRUE(h.dialogs.passwordRequests.isEmpty());

        h.jobs.cmdClearJobsClick();
        EXPECT_EQ(h.dialogs.texts().last(), kJobsClearedMessage);
        h.jobs.cmdOKClick();
        EXPECT_EQ(h.runs + h.scheduler.created.size(), 1) << "accepted once cleared";
    }
}

TEST(JobSchedulingTest, RunNowConvertsAtOnceInBulkModeAndLeavesItAfterwards)
{
    Harness h;
    h.page.runNow = true;
    h.jobs.cmdOKClick();
    EXPECT_EQ(h.runs, 1);
    EXPECT_TRUE(h.batchModeInRun);
    EXPECT_FALSE(h.state.BatchMode);
    EXPECT_TRUE(h.scheduler.created.isEmpty());
    EXPECT_TRUE(h.dialogs.shown.isEmpty()) << h.dialogs.texts().join('|').toStdString();
}

// Folders "Run Now!" cannot use are refused before the press changes anything: nothing is run
// or stored, and the last run's log stays.
TEST(JobSchedulingTest, RunNowRefusesFoldersItCannotUseBeforeAnythingChanges)
{
    struct Case
    {
        const char* name;
        std::function<void(Harness&)> arrange;
        QString message; // with %1 for the folder
    };
    const QList<Case> cases = {
        {"no starting folder", [](Harness& h) { h.page.start.clear(); }, kNoStartFolderMessage},
        {"a missing starting folder", [](Harness& h) { h.page.start = h.folders.filePath("gone"); },
         kStartFolderUnreadable.arg("%1", "the folder does not exist")},
        {"a file, not a folder",
         [](Harness& h) {
             h.page.start = h.folders.filePath("settings.ini");
             QFile(h.page.start).open(QIODevice::WriteOnly);
         },
         kStartFolderUnreadable.arg("%1", "it is not a folder")},
        {"no ending folder", [](Harness& h) { h.page.destination.clear(); },
         kNoDestinationFolderMessage},
        {"a missing ending folder",
         [](Harness& h) { h.page.destination = h.folders.filePath("nowhere"); },
         kEndingFolderUnwritable.arg("%1", "the folder does not exist")},
    };
    for (const Case& c : cases) {
        Harness h;
        h.page.runNow = true;
        const QString lastLog = h.log();
        c.arrange(h);
        h.jobs.cmdOKClick();
        const QString named =
            c.message.contains("ending folder") ? h.page.destination : h.page.start;
        EXPECT_EQ(h.dialogs.texts(), QStringList{QString(c.message).replace("%1", named)})
            << c.name;
        EXPECT_EQ(h.runs, 0) << c.name;
        EXPECT_EQ(h.scheduler.queries, 0) << c.name;
        EXPECT_TRUE(h.storedStart().isEmpty()) << c.name;
        EXPECT_TRUE(h.state.StartFolder.isEmpty()) << c.name;
        EXPECT_TRUE(QFile::exists(lastLog)) << c.name;
    }
}

TEST(JobSchedulingTest, WhatStopsATaskBeingCreatedIsSaidOrLeftSilentAsItShould)
{
    struct Case
    {
        const char* name;
        std::function<void(Harness&)> arrange;
        QString firstMessage; // empty: nothing is shown
        bool asksForPassword = true;
        bool taskCreated = false; // and gone again, or never listed
    };
    const QList<Case> cases = {
        {"abandoned credentials",
         [](Harness& h) {
             h.dialogs.passwordAnswers = {};
             h.dialogs.passwordAnswers.enqueue(std::nullopt);
         },
         {}},
        {"scheduler not running", [](Harness& h) { h.scheduler.running = false; },
         kUnableToScheduleMessage + "\nthe system scheduler (atd) is not running", false},
        {"a time that has passed",
         [](Harness& h) { h.clock.moment = QDateTime(QDate(2026, 7, 12), QTime(15, 0)); },
         "The time chosen, " + ScheduleTimeText({14, 5, 0}) + " on " +
             ScheduleDateText({2026, 7, 12}) +
             ", has already passed: no task was created. "
             "Choose a later time, or \"Run Now!\".",
         false},
        {"creation refused", [](Harness& h) { h.scheduler.createWorks = false; },
         kUnableToScheduleMessage + "\nat refused it"},
        {"not listed afterwards", [](Harness& h) { h.scheduler.taskAppears = false; },
         kUnableToScheduleMessage, true, true},
        {"no listing", [](Harness& h) { h.scheduler.workingQueries = 0; },
         "Listing files atq is missing", false},
        {"an existing task", [](Harness& h) { h.scheduler.tasks = {"earlier"}; },
         kTaskExistsMessage, false},
        {"no listing after the task was made",
         [](Harness& h) {
             h.scheduler.workingQueries = 1;
             h.scheduler.taskAppears = false;
         },
         "Error checking scheduled tasks.  atq is missing", true, true},
        {"the earlier listing cannot be cleared away",
         [](Harness& h) {
             h.scheduler.taskAppears = false;
             h.scheduler.onCreate = [&h] {
                 QFile::remove(h.queryFile());
                 QDir().mkpath(h.queryFile() + "/in-the-way");
             };
         },
         "Error Opening Text file.  ", true, true},
    };
    for (const Case& c : cases) {
        Harness h;
        c.arrange(h);
        const QStringList tasksBefore = h.scheduler.tasks;
        h.jobs.cmdOKClick();
        EXPECT_EQ(h.scheduler.tasks, tasksBefore) << c.name;
        if (c.firstMessage.isEmpty())
            EXPECT_TRUE(h.dialogs.shown.isEmpty()) << c.name;
        else
            EXPECT_TRUE(h.dialogs.texts().value(0).startsWith(c.firstMessage))
                << c.name << ": " << h.dialogs.texts().join('|').toStdString();
        EXPECT_EQ(h.dialogs.passwordRequests.size(), c.asksForPassword ? 1 : 0) << c.name;
        EXPECT_FALSE(h.state.BatchMode) << c.name;
        EXPECT_EQ(QFile::exists(h.log()), !c.taskCreated) << c.name;
    }
}

TEST(JobSchedulingTest, ClearJobsSaysClearedOnlyWhenTheTasksAreGone)
{
    Harness h;
    h.jobs.cmdClearJobsClick(); // none existed: still cleared
    EXPECT_EQ(h.dialogs.texts(), QStringList{kJobsClearedMessage});
    h.scheduler.removeWorks = false;
    h.jobs.cmdClearJobsClick();
    EXPECT_EQ(h.dialogs.texts().last(), "Error clearing scheduled Corvanta tasks: atrm is missing");
}

TEST(ScheduleTextsTest, TimeAndDateUseTheLocalesSeparators)
{
    const QTime time(14, 5, 0);
    const QDate date(2026, 7, 12);
    EXPECT_EQ(ScheduleTimeText(time, QLocale::c()), "14:05:00");
    EXPECT_EQ(ScheduleDateText(date, QLocale::c()), "07/12/2026");
    EXPECT_EQ(ScheduleDateText(date, QLocale(QLocale::German)), "07.12.2026");
    EXPECT_EQ(ScheduleTimeText(QTime(9, 3, 7), QLocale(QLocale::Finnish)), "09.03.07");
}

TEST(SchtasksCommandLinesTest, FormsTheWindowsCommandLinesWordForWord)
{
    const QString create = "schtasks /create /tn \"Start Corvanta Batch\" /tr \"\\\"C:\\Program "
                           "Files\\Corvanta\\corvanta.exe\\\" -BATCH\" /sc once /st 14:05:00 /sd "
                           "07/12/2026 /ru OFFICE-PC\\mary /rp ";
    const auto line = [](const QString& password) {
        return SchtasksCommandLines::create("C:\\Windows\\system32\\cmd.exe",
                                            "C:\\Program Files\\Corvanta\\corvanta.exe", "14:05:00",
                                            "07/12/2026", "OFFICE-PC", " mary ", password);
    };
    EXPECT_EQ(line(" pass word "), create + "pass word");
    EXPECT_EQ(line("   "), create) << "blanks alone count as a password";
    EXPECT_EQ(line(""), "C:\\Windows\\system32\\cmd.exe /c " + create);
    EXPECT_EQ(SchtasksCommandLines::query("C:\\Windows\\system32\\cmd.exe", "C:\\p\\querylog.txt"),
              "C:\\Windows\\system32\\cmd.exe /c schtasks /query > \"C:\\p\\querylog.txt\"");
    EXPECT_EQ(SchtasksCommandLines::remove(), "schtasks /delete /tn \"Start Corvanta Batch\" /f ");
}

} // namespace
