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

namespace progress_detail {
inline Progress* current = nullptr;
} // namespace progress_detail

// Reports to the progress of the work going on, if there is any; true when there is none.
// Only the window's thread reports.
inline bool ReportProgress(int pagesDone = -1)
{
    return progress_detail::current ? progress_detail::current->advance(pagesDone) : true;
}

// Makes `progress` the one ReportProgress() reaches, for the life of the scope.
class ProgressScope
{
public:
    explicit ProgressScope(Progress& progress) : m_previous(progress_detail::current)
    {
        progress_detail::current = &progress;
    }
    ~ProgressScope() { progress_detail::current = m_previous; }
    ProgressScope(const ProgressScope&) = delete;
    ProgressScope& operator=(const ProgressScope&) = delete;

private:
    Progress* m_previous;
};
