#include "tests/platform/process/ProcessTestSupport.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QThread>

ProcessCommand helperCommand(const QStringList& arguments)
{
    ProcessCommand command;
    command.program = QCoreApplication::applicationDirPath() + "/corvanta-process-test-helper";
    command.arguments = arguments;
    command.timeLimit = std::chrono::seconds(20);
    return command;
}

bool processEnds(qint64 pid, int limitMs)
{
    QDeadlineTimer deadline(limitMs);
    for (;;) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            return true;
        // The state follows the parenthesised command name: "pid (name) S ...".
        const QByteArray text = stat.readAll();
        const qsizetype close = text.lastIndexOf(')');
        if (close >= 0 && text.mid(close + 2, 1) == "Z")
            return true;
        if (deadline.hasExpired())
            return false;
        QThread::msleep(20); // polling a condition with a deadline, not a blind pause
    }
}

qint64 pidInFile(const QString& file)
{
    QFile pid(file);
    return pid.open(QIODevice::ReadOnly) ? pid.readAll().trimmed().toLongLong() : 0;
}
