#include "platform/process/QtProcessLauncher.h"
#include "tests/platform/process/ProcessTestSupport.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>

using namespace std::chrono_literals;

namespace {

class ChildProcessTest : public ::testing::Test
{
protected:
    std::unique_ptr<ChildProcess> startLines()
    {
        auto child = launcher.start(helperCommand({"lines"}));
        EXPECT_TRUE(child->isRunning());
        return child;
    }

    QtProcessLauncher launcher;
};

TEST_F(ChildProcessTest, AnswersRequestsLineByLineInOneProcess)
{
    auto child = startLines();
    ASSERT_TRUE(child->writeLine("pid"));
    const auto pid = child->readLine(10s);
    ASSERT_TRUE(pid.has_value());
    EXPECT_EQ(pid->toLongLong(), child->processId());
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(child->writeLine("ping"));
        EXPECT_EQ(child->readLine(10s).value_or("none"), "pong");
    }
    ASSERT_TRUE(child->writeLine("{\"path\": \"a b/c.doc\"}"));
    EXPECT_EQ(child->readLine(10s).value_or("none"), "{\"path\": \"a b/c.doc\"}");
}

TEST_F(ChildProcessTest, FirstInputIsSentAtStart)
{
    ProcessCommand command = helperCommand({"lines"});
    command.standardInput = "ping\n";
    auto child = launcher.start(command);
    EXPECT_EQ(child->readLine(10s).value_or("none"), "pong");
}

TEST_F(ChildProcessTest, ClosingInputEndsACooperativeChild)
{
    auto child = startLines();
    const ProcessResult result = child->finish(10s);
    EXPECT_TRUE(result.succeeded());
    EXPECT_FALSE(child->isRunning());
    EXPECT_FALSE(child->writeLine("ping"));
}

TEST_F(ChildProcessTest, ReadTimesOutOnAHungChildWhichStaysUntilKilled)
{
    auto child = startLines();
    ASSERT_TRUE(child->writeLine("hang"));
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(child->readLine(400ms).has_value());
    EXPECT_GE(clock.elapsed(), 350);
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_TRUE(child->isRunning());

    const qint64 pid = child->processId();
    const ProcessResult result = child->kill();
    EXPECT_FALSE(result.crashed);
    EXPECT_FALSE(child->isRunning());
    EXPECT_TRUE(processEnds(pid, 5000));
}

TEST_F(ChildProcessTest, HalfALineIsNotALine)
{
    auto child = startLines();
    ASSERT_TRUE(child->writeLine("partial"));
    EXPECT_FALSE(child->readLine(300ms).has_value());
    EXPECT_TRUE(child->isRunning());
}

TEST_F(ChildProcessTest, CrashDuringARequestEndsTheReadAtOnce)
{
    auto child = startLines();
    ASSERT_TRUE(child->writeLine("crash"));
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(child->readLine(20s).has_value());
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_FALSE(child->isRunning());
    EXPECT_TRUE(child->kill().crashed);
}

TEST_F(ChildProcessTest, CrashBetweenRequestsIsSeenBeforeTheNextOne)
{
    auto child = startLines();
    ASSERT_TRUE(child->writeLine("crash"));
    EXPECT_FALSE(child->readLine(20s).has_value());
    EXPECT_FALSE(child->writeLine("ping"));
}

TEST_F(ChildProcessTest, DestroyingAChildKillsItsGroup)
{
    QTemporaryDir dir;
    const QString pidFile = dir.filePath("grandchild.pid");
    qint64 childPid = 0;
    {
        auto child = launcher.start(helperCommand({"spawn-hang", pidFile}));
        ASSERT_TRUE(child->isRunning());
        childPid = child->processId();
        ASSERT_EQ(child->readLine(10s).value_or("none"), "ready");
    }
    EXPECT_TRUE(processEnds(childPid, 5000));
    const qint64 grandchild = pidInFile(pidFile);
    ASSERT_GT(grandchild, 0);
    EXPECT_TRUE(processEnds(grandchild, 5000));
}

TEST_F(ChildProcessTest, AChildDoesNotOutliveAKilledParent)
{
    QTemporaryDir dir;
    const QString pidFile = dir.filePath("grandchild.pid");
    auto parent = launcher.start(helperCommand({"port-spawn-hang", pidFile}));
    ASSERT_EQ(parent->readLine(10s).value_or("none"), "ready");
    const qint64 grandchild = pidInFile(pidFile);
    ASSERT_GT(grandchild, 0);
    ::kill(pid_t(parent->processId()), SIGKILL); // the parent alone, not its group
    EXPECT_TRUE(processEnds(grandchild, 5000));
}

TEST_F(ChildProcessTest, AWaitThatIsStoppedEndsAtOnceAndKillsTheChild)
{
    int asked = 0;
    ProcessCommand command = helperCommand({"lines"});
    command.whileWaiting = [&asked] { return ++asked < 3; };
    auto child = launcher.start(command);
    ASSERT_TRUE(child->writeLine("hang"));
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(child->readLine(60s).has_value());
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_EQ(asked, 3);
    EXPECT_TRUE(child->cancelled());
    EXPECT_FALSE(child->isRunning());
    EXPECT_TRUE(child->kill().cancelled);
}

TEST_F(ChildProcessTest, FailedStartIsReported)
{
    ProcessCommand command = helperCommand({"lines"});
    command.program = "/nonexistent/corvanta-no-such-program";
    auto child = launcher.start(command);
    EXPECT_FALSE(child->isRunning());
    EXPECT_FALSE(child->writeLine("ping"));
    EXPECT_FALSE(child->readLine(100ms).has_value());
    const ProcessResult result = child->finish(100ms);
    EXPECT_FALSE(result.started);
    EXPECT_FALSE(result.error.isEmpty());
}

} // namespace
