#pragma once

#include "platform/process/ChildProcess.h"
#include "platform/process/ProcessCommand.h"

#include <memory>

// The one way the program starts other programs. A child never outlives the program: the kernel
// kills it (SIGKILL) when the thread that started it ends, so children are started from a
// thread that lives as long as they do (the window's). Its own children are its to end: a child
// that starts others puts them in its process group or passes the rule on.
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
