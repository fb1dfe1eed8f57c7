#include "conversion/RunSummary.h"

QString SummaryText(const RunSummary& summary)
{
    const QString counts = QStringLiteral("%1 converted, %2 failed, %3 skipped")
                               .arg(summary.converted)
                               .arg(summary.failed)
                               .arg(summary.skipped);
    return summary.stopped ? QStringLiteral("Stopped: ") + counts : counts;
}
