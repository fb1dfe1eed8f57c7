#include "platform/process/QtProcessLauncher.h"
#include "tests/platform/process/ProcessTestSupport.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

class ProcessRun : public ::testing::Test
{
protected:
    QtProcessLauncher launcher;
};

TEST_F(ProcessRun, ReportsExitCodeAndBothStreams)
{
    const ProcessResult result = launcher.run(helperCommand({"exit", "3"}));
    EXPECT_TRUE(result.started);
    EXPECT_EQ(result.exitCode, 3);
    EXPECT_FALSE(result.crashed);
    EXPECT_FALSE(result.timedOut);
    EXPECT_FALSE(result.succeeded());
    EXPECT_EQ(result.standardOutput, "out");
    EXPECT_EQ(result.standardError, "err");

    EXPECT_TRUE(launcher.run(helperCommand({"exit", "0"})).succeeded());
}

TEST_F(ProcessRun, ArgumentsReachTheChildUnchangedWithoutAShell)
{
    const QStringList arguments{"two words", "$HOME", "a;b", "*", "'quoted'", "", "back\\slash"};
    const ProcessResult result = launcher.run(helperCommand(QStringList{"args"} + arguments));
    ASSERT_TRUE(result.succeeded());
    EXPECT_EQ(QString::fromUtf8(result.standardOutput), arguments.join('\n') + '\n');
}

TEST_F(ProcessRun, StandardInputReachesTheChildAndIsClosed)
{
    ProcessCommand command = helperCommand({"echo"});
    command.standardInput = "a secret with blanks  \nsecond line\n";
    const ProcessResult result = launcher.run(command);
    ASSERT_TRUE(result.succeeded()); // ends only when its input is closed
    EXPECT_EQ(result.standardOutput, command.standardInput);
}

TEST_F(ProcessRun, EnvironmentAndWorkingFolderAreTheCommands)
{
    ProcessCommand command = helperCommand({"env", "CORVANTA_PROCESS_TEST"});
    command.environment.insert("CORVANTA_PROCESS_TEST", "given");
    EXPECT_EQ(launcher.run(command).standardOutput, "given");
    EXPECT_TRUE(
        launcher.run(helperCommand({"env", "CORVANTA_PROCESS_TEST"})).standardOutput.isEmpty());
}

TEST_F(ProcessRun, CrashIsReportedAsACrash)
{
    const ProcessResult result = launcher.run(helperCommand({"crash"}));
    EXPECT_TRUE(result.started);
    EXPECT_TRUE(result.crashed);
    EXPECT_FALSE(result.timedOut);
    EXPECT_FALSE(result.succeeded());
}

TEST_F(ProcessRun, MissingProgramIsNotStarted)
{
    ProcessCommand command = helperCommand({});
    command.program = "/nonexistent/corvanta-no-such-program";
    const ProcessResult result = launcher.run(command);
    EXPECT_FALSE(result.started);
    EXPECT_FALSE(result.error.isEmpty());
    EXPECT_FALSE(result.succeeded());
}

TEST_F(ProcessRun, TimeLimitKillsTheChildAndItsGrandchildren)
{
    QTemporaryDir dir;
    const QString pidFile = dir.filePath("grandchild.pid");
    ProcessCommand command = helperCommand({"spawn-hang", pidFile});
    command.timeLimit = 700ms;
    QElapsedTimer clock;
    clock.start();
    const ProcessResult result = launcher.run(command);
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_TRUE(result.started);
    EXPECT_TRUE(result.timedOut);
    EXPECT_FALSE(result.crashed);
    EXPECT_FALSE(result.succeeded());

    const qint64 grandchild = pidInFile(pidFile);
    ASSERT_GT(grandchild, 0);
    EXPECT_TRUE(processEnds(grandchild, 5000));
}

TEST_F(ProcessRun, AStoppedRunKillsTheChildAndItsGrandchildrenAtOnce)
{
    QTemporaryDir dir;
    const QString pidFile = dir.filePath("grandchild.pid");
    ProcessCommand command = helperCommand({"spawn-hang", pidFile});
    command.timeLimit = 60s;
    // Stops once the grandchild is there, as a user would while the child works.
    command.whileWaiting = [&pidFile] { return pidInFile(pidFile) == 0; };
    QElapsedTimer clock;
    clock.start();
    const ProcessResult result = launcher.run(command);
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_TRUE(result.cancelled);
    EXPECT_FALSE(result.timedOut);
    EXPECT_FALSE(result.crashed);
    EXPECT_FALSE(result.succeeded());

    const qint64 grandchild = pidInFile(pidFile);
    ASSERT_GT(grandchild, 0);
    EXPECT_TRUE(processEnds(grandchild, 5000));
}

TEST_F(ProcessRun, LargeOutputOnBothStreamsDoesNotBlock)
{
    const int bytes = 1 << 20; // far beyond a pipe's buffer
    const ProcessResult result = launcher.run(helperCommand({"flood", QString::number(bytes)}));
    ASSERT_TRUE(result.succeeded());
    EXPECT_EQ(result.standardOutput.size(), bytes);
    EXPECT_EQ(result.standardError.size(), bytes);

    ProcessCommand discarded = helperCommand({"flood", QString::number(bytes)});
    discarded.output = ProcessChannel::Discard;
    discarded.errors = ProcessChannel::Discard;
    const ProcessResult quiet = launcher.run(discarded);
    ASSERT_TRUE(quiet.succeeded());
    EXPECT_TRUE(quiet.standardOutput.isEmpty());
    EXPECT_TRUE(quiet.standardError.isEmpty());
}

} // namespace
