#pragma once

#include "conversion/RunSummary.h"

#include <QString>

// Follows a run row by row, e.g. to print progress when nobody watches the window.
class RunObserver
{
public:
    enum class RowResult
    {
        Converted,
        Failed,
        Skipped,
        Ignored, // the run's own log
        Stopped, // the user stopped the run while it was converted
    };

    virtual ~RunObserver() = default;

    // `row` counts from 1.
    virtual void rowDone(int row, int count, const QString& name, const QString& status,
                         RowResult result) = 0;
    virtual void runDone(const RunSummary& summary) = 0;
};
