#include "common/Clock.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

QDateTime SystemClock::now() const
{
    return QDateTime::currentDateTime();
}

void SystemClock::pause(std::chrono::milliseconds limit, const Outstanding& outstanding)
{
    if (!outstanding)
        return;
    QDeadlineTimer deadline(limit);
    while (outstanding() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
}
