// A run scheduled from the Bulk Conversion page's logic with the real `at`: the task is there
// once, refuses a second, starts the real program without a display when its time comes (here:
// its script run exactly as `at -c` prints it), and goes with Clear Jobs.
#include "batch/FolderEdits.h"
#include "batch/FolderSettings.h"
#include "batch/JobScheduling.h"
#include "common/Clock.h"
#include "common/ProgramState.h"
#include "platform/process/QtProcessLauncher.h"
#include "platform/scheduler/AtScheduler.h"
#include "platform/scheduler/PosixAccount.h"
#include "platform/settings/FileSettingsStore.h"
#include "tests/support/BatchProgram.h"
#include "tests/support/FakeSchedulePage.h"
#include "tests/support/ScriptedDialogs.h"

#include <QProcess>
#include <QRegularExpression>

namespace {

class ScheduledRunTest : public BatchProgramFixture
{
protected:
    void SetUp() override
    {
        BatchProgramFixture::SetUp();
        QString why;
        ASSERT_TRUE(scheduler.serviceRunning(&why)) << why.toStdString();
        scheduler.removeAll();
        // The program under a name with a blank, as an installed one may be.
        QDir(home.path()).mkpath("Corvanta Tool");
        ASSERT_TRUE(QFile::link(QString::fromUtf8(CORVANTA_PROGRAM), program()));
        page.start = in();
        page.destination = out();
        const QDateTime when = QDateTime::currentDateTime().addSecs(120);
        page.time = when.time();
        page.date = when.date();
    }
    void TearDown() override { scheduler.removeAll(); }

    QString program() const { return home.filePath("Corvanta Tool/corvanta"); }
    QStringList listing() const
    {
        QFile file(queryFile());
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
    }
    QString queryFile() const { return home.filePath("querylog.txt"); }
    void schedule()
    {
        dialogs.passwordAnswers.enqueue(QString());
        jobs.cmdOKClick();
    }

    QtProcessLauncher launcher;
    AtScheduler scheduler{launcher, 'w'}; // a queue of this test's own
    PosixAccount account;
    ProgramState state;
    FakeSchedulePage page;
    // The store the job's program reads: this process's, whose environment the job inherits.
    FileSettingsStore store;
    FolderSettings settings{store, state, page};
    ScriptedDialogs dialogs;
    SystemClock clock;
    JobScheduling jobs{{state, page, settings, page, scheduler, account, dialogs, clock, [] {},
                        program(), queryFile()}};
};

TEST_F(ScheduledRunTest, ATaskIsCreatedOnceRunsTheProgramUnattendedAndGoesWithClearJobs)
{
    write(in("orders.xml"), "<orders><order id=\"7\"/></orders>\n");
    schedule();
    ASSERT_EQ(dialogs.texts().size(), 1);
    EXPECT_TRUE(dialogs.texts()[0].startsWith("Corvanta Batch job scheduled for "))
        << dialogs.texts()[0].toStdString();
    ASSERT_EQ(listing().size(), 1);
    EXPECT_TRUE(listing()[0].contains("Start Corvanta Batch"));

    // A second task is refused, and so is a run at once, until the task is cleared.
    for (const bool runNow : {false, true}) {
        page.runNow = runNow;
        schedule();
        EXPECT_EQ(dialogs.texts().last(), kTaskExistsMessage);
    }
    EXPECT_EQ(listing().size(), 1);

    // When its time comes, atd runs the job's script as `at -c` prints it.
    const QString job = listing()[0].section(' ', 0, 0);
    QProcess script;
    script.start("at", {"-c", job});
    ASSERT_TRUE(script.waitForFinished(10000));
    const QByteArray text = script.readAllStandardOutput();
    EXPECT_TRUE(text.contains("-BATCH"));
    QProcess sh;
    QProcessEnvironment withDisplay = QProcessEnvironment::systemEnvironment();
    withDisplay.insert("DISPLAY", ":4242"); // the job must not rely on one
    sh.setProcessEnvironment(withDisplay);
    sh.start("sh", {"-s"});
    sh.write(text);
    sh.closeWriteChannel();
    ASSERT_TRUE(sh.waitForFinished(120000));
    EXPECT_EQ(sh.exitCode(), 0) << sh.readAllStandardError().toStdString();
    EXPECT_TRUE(QFile::exists(out("orders.PDF")));
    EXPECT_TRUE(log().contains("orders.xml file successfully converted"));

    jobs.cmdClearJobsClick();
    EXPECT_EQ(dialogs.texts().last(), kJobsClearedMessage);
    scheduler.query(queryFile());
    EXPECT_TRUE(listing().isEmpty());
    jobs.cmdClearJobsClick(); // none left: still said
    EXPECT_EQ(dialogs.texts().last(), kJobsClearedMessage);
}

} // namespace
