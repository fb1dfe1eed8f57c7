#pragma once

#include <stdexcept>

// The user stopped the run while a document was being converted. Whatever was half done for it
// has been dropped; nothing of it stays on disk.
class RunStopped : public std::runtime_error
{
public:
    RunStopped() : std::runtime_error("stopped by the user") {}
};

// Long work on the window's thread (a document being drawn, a wait for a renderer or a toolkit)
// reports here often, so the window can repaint, show how far the work has got and take a
// request to stop.
class Progress
{
public:
    virtual ~Progress() = default;

    // `pagesDone` is the number of pages made so far, or -1 when the work cannot count them.
    // Answers false once the user has asked to stop: the caller then drops its work and throws
    // RunStopped.
    virtual bool advance(int pagesDone) = 0;
};
