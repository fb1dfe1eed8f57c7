#include "platform/scheduler/AtDaemon.h"

#include <QDir>
#include <QFile>
#include <algorithm>

namespace {

const QByteArray kDaemonName = "atd";

QByteArray firstLine(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readLine(256).trimmed();
}

bool isDaemon(const QString& processFolder, const QByteArray& pid)
{
    bool number = false;
    pid.toUInt(&number);
    return number &&
           firstLine(processFolder + '/' + QString::fromLatin1(pid) + "/comm") == kDaemonName;
}

} // namespace

bool AtDaemonRunning(const QString& pidFile, const QString& processFolder)
{
    if (isDaemon(processFolder, firstLine(pidFile)))
        return true;
    const QStringList entries = QDir(processFolder).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    return std::ranges::any_of(
        entries, [&](const QString& entry) { return isDaemon(processFolder, entry.toLatin1()); });
}
