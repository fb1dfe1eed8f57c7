#include "platform/process/QtProcessLauncher.h"

#include "platform/process/QtChildProcess.h"

ProcessResult QtProcessLauncher::run(const ProcessCommand& command)
{
    QtChildProcess child(command);
    return child.waitForEnd(command.timeLimit);
}

std::unique_ptr<ChildProcess> QtProcessLauncher::start(const ProcessCommand& command)
{
    return std::make_unique<QtChildProcess>(command);
}
