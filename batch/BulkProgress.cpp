#include "batch/BulkProgress.h"

#include "common/ProgramState.h"

void BulkProgress::rowDone(int row, int count, const QString& name, const QString& status,
                           RowResult result)
{
    if (m_next)
        m_next->rowDone(row, count, name, status, result);
    if (m_state.BatchMode)
        m_view.setBulkProgress(QStringLiteral("%1 of %2: %3").arg(row).arg(count).arg(name));
}

void BulkProgress::runDone(const RunSummary& summary)
{
    if (m_next)
        m_next->runDone(summary);
}
