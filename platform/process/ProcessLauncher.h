#pragma once

#include "platform/process/ChildProcess.h"
#include "platform/process/ProcessCommand.h"

#include <memory>

// The one way the program starts other programs.
class ProcessLauncher
{
public:
    virtual ~ProcessLauncher() = default;

    // Runs a program to its end or its time limit, and blocks until then.
    virtual ProcessResult run(const ProcessCommand& command) = 0;
    // Starts a long-lived child; `command.standardInput` is its first input. The child may have
    // failed to start: see isRunning() and finish().
    virtual std::unique_ptr<ChildProcess> start(const ProcessCommand& command) = 0;
};
