#pragma once

#include "common/Progress.h"

// Answers "stop" from its `stopAt`-th report on (counting from 1), as a user pressing Stop while
// the work goes on, and counts the reports.
class StopAtReport final : public Progress
{
public:
    explicit StopAtReport(int stopAt) : m_stopAt(stopAt) {}

    bool advance(int) override { return ++reports < m_stopAt; }

    int reports = 0;

private:
    int m_stopAt;
};

// Work a test does not watch: every report is taken and none asks to stop.
class Unwatched final : public Progress
{
public:
    bool advance(int) override { return true; }
};

// One progress for work a test does not watch.
inline Progress& unwatched()
{
    static Unwatched progress;
    return progress;
}
