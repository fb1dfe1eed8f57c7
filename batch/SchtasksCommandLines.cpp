#include "batch/SchtasksCommandLines.h"

#include "batch/TaskScheduler.h"

namespace SchtasksCommandLines {

QString query(const QString& comspec, const QString& queryFile)
{
    return comspec + QStringLiteral(" /c schtasks /query > \"") + queryFile + QLatin1Char('"');
}

QString create(const QString& comspec, const QString& program, const QString& time,
               const QString& date, const QString& computer, const QString& user,
               const QString& password)
{
    const QString task = QStringLiteral("schtasks /create /tn \"") + kTaskName +
                         QStringLiteral("\" /tr \"\\\"") + program +
                         QStringLiteral("\\\" -BATCH\" /sc once /st ") + time +
                         QStringLiteral(" /sd ") + date + QStringLiteral(" /ru ") + computer +
                         QLatin1Char('\\') + user.trimmed() + QStringLiteral(" /rp ");
    // The test for a password comes before any trimming: blanks alone count as one.
    if (!password.isEmpty())
        return task + password.trimmed();
    return comspec + QStringLiteral(" /c ") + task;
}

QString remove()
{
    return QStringLiteral("schtasks /delete /tn \"") + kTaskName + QStringLiteral("\" /f ");
}

} // namespace SchtasksCommandLines
