#pragma once

#include <QFile>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

// Makes a written file's contents durable before it is given its final name: a rename after a
// crash must never reveal an empty or partial file. False when the file cannot be synced.
inline bool SyncToDisk(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return false;
#ifdef Q_OS_UNIX
    return ::fsync(file.handle()) == 0;
#else
    return file.flush();
#endif
}
