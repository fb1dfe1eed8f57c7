// The Bulk Conversion page's Schedule, Clear Jobs and Cancel against a scheduler that records
// what it is asked; the real one (`at`) is tested on its own and end to end.
#include "batch/JobScheduling.h"
#include "batch/FolderEdits.h"
#include "batch/FolderSettings.h"
#include "batch/ProgramState.h"
#include "batch/ScheduleTexts.h"
#include "batch/SchtasksCommandLines.h"
#include "platform/settings/FileSettingsStore.h"
#include "tests/support/FakeClock.h"
#include "tests/support/FakeSchedulePage.h"
#include "tests/support/ScriptedDialogs.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class FakeScheduler final : public TaskScheduler
{
public:
    Outcome query(const QString& queryFile) override
    {
        ++queries;
        if (!queryWorks)
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
    bool queryWorks = true;
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
        clock.moment = QDateTime(QDate(2026, 7, 12), QTime(9, 0));
        dialogs.passwordAnswers.enqueue(QString("secret"));
    }
    QString queryFile() const { return folders.filePath("querylog.txt"); }

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
    JobScheduling jobs{{state, page, settings, page, scheduler, account, dialogs, clock,
                        [this] { ++runs; }, "/opt/Corvanta Tool/corvanta", queryFile()}};
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
    EXPECT_TRUE(h.state.BatchMode) << "stays in bulk mode until Cancel";
    EXPECT_EQ(h.state.StartFolder, h.page.start);
    EXPECT_EQ(h.runs, 0);
    // The folders are stored for the run the task starts.
    SettingsError error;
    EXPECT_EQ(h.store.readValue("Software\\Corvanta\\Program", "ConvertStartFolder", error)->text(),
              h.page.start);

    h.jobs.cmdCancelClick();
    EXPECT_FALSE(h.state.BatchMode);
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

TEST(JobSchedulingTest, RunNowConvertsAtOnceAndDeletesTheOldLog)
{
    Harness h;
    h.page.runNow = true;
    QDir().mkpath(h.page.start);
    QFile(h.page.start + "/Corvanta_Batch.txt").open(QIODevice::WriteOnly);
    h.jobs.cmdOKClick();
    EXPECT_EQ(h.runs, 1);
    EXPECT_TRUE(h.scheduler.created.isEmpty());
    EXPECT_TRUE(h.dialogs.shown.isEmpty());
    EXPECT_FALSE(QFile::exists(h.page.start + "/Corvanta_Batch.txt"));
}

TEST(JobSchedulingTest, WhatStopsATaskBeingCreatedIsSaidOrLeftSilentAsItShould)
{
    struct Case
    {
        const char* name;
        std::function<void(Harness&)> arrange;
        QString firstMessage; // empty: nothing is shown
    };
    const QList<Case> cases = {
        {"abandoned credentials",
         [](Harness& h) {
             h.dialogs.passwordAnswers = {};
             h.dialogs.passwordAnswers.enqueue(std::nullopt);
         },
         {}},
        {"scheduler not running", [](Harness& h) { h.scheduler.running = false; },
         kUnableToScheduleMessage + "\nthe system scheduler (atd) is not running"},
        {"a time that has passed",
         [](Harness& h) { h.clock.moment = QDateTime(QDate(2026, 7, 12), QTime(15, 0)); },
         "The time chosen, " + ScheduleTimeText({14, 5, 0}) + " on " +
             ScheduleDateText({2026, 7, 12}) +
             ", has already passed: no task was created. "
             "Choose a later time, or \"Run Now!\"."},
        {"creation refused", [](Harness& h) { h.scheduler.createWorks = false; },
         kUnableToScheduleMessage + "\nat refused it"},
        {"not listed afterwards", [](Harness& h) { h.scheduler.taskAppears = false; },
         kUnableToScheduleMessage},
        {"no listing", [](Harness& h) { h.scheduler.queryWorks = false; },
         "Listing files atq is missing"},
    };
    for (const Case& c : cases) {
        Harness h;
        c.arrange(h);
        h.jobs.cmdOKClick();
        EXPECT_TRUE(h.scheduler.tasks.isEmpty()) << c.name;
        if (c.firstMessage.isEmpty())
            EXPECT_TRUE(h.dialogs.shown.isEmpty()) << c.name;
        else
            EXPECT_EQ(h.dialogs.texts().value(0), c.firstMessage) << c.name;
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
