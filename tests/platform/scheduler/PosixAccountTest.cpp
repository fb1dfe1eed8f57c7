#include "platform/scheduler/PosixAccount.h"

#include "platform/process/QtProcessLauncher.h"

#include <gtest/gtest.h>

namespace {

QString output(const QString& program, const QStringList& arguments)
{
    QtProcessLauncher launcher;
    ProcessCommand command;
    command.program = program;
    command.arguments = arguments;
    const ProcessResult result = launcher.run(command);
    EXPECT_TRUE(result.succeeded()) << program.toStdString();
    return QString::fromLocal8Bit(result.standardOutput).trimmed();
}

TEST(PosixAccount, NamesAreTheSystemsOwn)
{
    const PosixAccount account;
    EXPECT_EQ(account.computerName(), output("hostname", {}).left(15));
    EXPECT_EQ(account.userName(), output("id", {"-un"}));
}

} // namespace
