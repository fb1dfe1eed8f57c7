#include "platform/messages/WindowMessages.h"

#include <QCoreApplication>
#include <QHash>
#include <QMutex>
#include <QObject>

int RegisterWindowMessage(const QString& name)
{
    if (name.isEmpty())
        return 0;
    static QMutex mutex;
    static QHash<QString, int> table;
    QMutexLocker lock(&mutex);
    auto it = table.constFind(name);
    if (it != table.constEnd())
        return *it;
    const int type = QEvent::registerEventType();
    if (type < 0)
        return 0;
    table.insert(name, type);
    return type;
}

void PostWindowMessage(QObject* window, int message, qintptr wParam, qintptr lParam,
                       const QString& detail)
{
    if (!window || message <= 0)
        return;
    QCoreApplication::postEvent(window, new WindowMessageEvent(message, wParam, lParam, detail));
}
