#include "app/StderrProgress.h"

#include "common/NativeNames.h"

void StderrProgress::rowDone(int row, int count, const QString& name, const QString& status,
                             RowResult result)
{
    QString text = status;
    if (result == RowResult::Ignored)
        text = QStringLiteral("left alone (the run's own log)");
    std::fprintf(m_out, "[%d/%d] %s: %s\n", row, count,
                 EscapeControlCharacters(name).toUtf8().constData(),
                 EscapeControlCharacters(text).toUtf8().constData());
    std::fflush(m_out);
}

void StderrProgress::runDone(const RunSummary& summary)
{
    std::fprintf(m_out, "corvanta: %d converted, %d failed, %d skipped%s\n", summary.converted,
                 summary.failed, summary.skipped, summary.stopped ? ", stopped by the user" : "");
    std::fflush(m_out);
}
