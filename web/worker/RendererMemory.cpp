#include "web/worker/RendererMemory.h"

#include <QFile>
#include <QList>

qint64 OwnResidentMemoryMb(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    qint64 kilobytes = 0;
    int found = 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("RssAnon:") || line.startsWith("RssShmem:")) {
            // "RssAnon:     14068 kB"
            const QList<QByteArray> fields = line.simplified().split(' ');
            if (fields.size() >= 2) {
                kilobytes += fields[1].toLongLong();
                ++found;
            }
        }
    }
    return found == 2 ? kilobytes / 1024 : -1;
}
