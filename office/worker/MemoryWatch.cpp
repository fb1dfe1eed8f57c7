#include "office/worker/MemoryWatch.h"

#include <QDir>
#include <QFile>
#include <QList>

#include <algorithm>
#include <chrono>

namespace {

QByteArray read(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// "VmPeak:   866852 kB"
qint64 vmPeak(qint64 pid)
{
    const QByteArray status = read(QStringLiteral("/proc/%1/status").arg(pid));
    const qsizetype at = status.indexOf("VmPeak:");
    if (at < 0)
        return 0;
    const qsizetype end = status.indexOf('\n', at);
    return status.mid(at + 7, end - at - 7).replace("kB", "").trimmed().toLongLong() * 1024;
}

// Each thread lists the children it started; the office's launcher starts it from a thread.
QList<qint64> childrenOf(qint64 pid)
{
    QList<qint64> children;
    const QString tasks = QStringLiteral("/proc/%1/task").arg(pid);
    for (const QString& task : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        for (const QByteArray& child : read(tasks + '/' + task + "/children").split(' ')) {
            if (!child.trimmed().isEmpty())
                children.append(child.trimmed().toLongLong());
        }
    }
    return children;
}

} // namespace

QList<qint64> ProcessTree(qint64 pid)
{
    QList<qint64> tree{pid};
    for (const qint64 child : childrenOf(pid))
        tree += ProcessTree(child);
    return tree;
}

qint64 PeakAddressSpace(qint64 pid)
{
    qint64 peak = 0;
    for (const qint64 process : ProcessTree(pid))
        peak = std::max(peak, vmPeak(process));
    return peak;
}

MemoryWatch::MemoryWatch(qint64 pid) : m_pid(pid), m_thread([this] { look(); }) {}

MemoryWatch::~MemoryWatch()
{
    peak();
}

qint64 MemoryWatch::peak()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
    return m_peak;
}

void MemoryWatch::look()
{
    // VmPeak only grows, and a dead office reads 0: keep the largest seen.
    std::unique_lock lock(m_mutex);
    do
        m_peak = std::max<qint64>(m_peak, PeakAddressSpace(m_pid));
    while (!m_wake.wait_for(lock, std::chrono::milliseconds(100), [this] { return m_stop; }));
    m_peak = std::max<qint64>(m_peak, PeakAddressSpace(m_pid)); // as the document ends
}
