#pragma once

#include "platform/process/ProcessLauncher.h"

// Starts children with QProcess.
class QtProcessLauncher final : public ProcessLauncher
{
public:
    ProcessResult run(const ProcessCommand& command) override;
    std::unique_ptr<ChildProcess> start(const ProcessCommand& command) override;
};
