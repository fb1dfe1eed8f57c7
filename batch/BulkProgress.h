#pragma once

#include "conversion/RunObserver.h"

#include <QString>

struct ProgramState;

// Where the Bulk Conversion page says how far its run has come.
class BulkProgressView
{
public:
    virtual ~BulkProgressView() = default;
    virtual void setBulkProgress(const QString& text) = 0;
};

// Follows every run: a bulk conversion's rows are counted on the Bulk Conversion page ("12 of
// 300: report.doc"), and every row and run end is handed on to whoever else follows the runs.
class BulkProgress final : public RunObserver
{
public:
    BulkProgress(BulkProgressView& view, const ProgramState& state, RunObserver* next)
        : m_view(view), m_state(state), m_next(next)
    {
    }

    void rowDone(int row, int count, const QString& name, const QString& status,
                 RowResult result) override;
    void runDone(const RunSummary& summary) override;

private:
    BulkProgressView& m_view;
    const ProgramState& m_state;
    RunObserver* m_next;
};
