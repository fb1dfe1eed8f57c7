#pragma once

#include "conversion/RunObserver.h"

#include <cstdio>

// One line per document on standard error, and a summary, for runs nobody watches:
// "[3/20] report.doc: Completed".
class StderrProgress final : public RunObserver
{
public:
    explicit StderrProgress(std::FILE* out = stderr) : m_out(out) {}

    void rowDone(int row, int count, const QString& name, const QString& status,
                 RowResult result) override;
    void runDone(const RunSummary& summary) override;

private:
    std::FILE* m_out;
};
