#pragma once

#include <QList>
#include <QtGlobal>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

// A process and all its descendants: the office program is a launcher whose child lays out the
// documents.
QList<qint64> ProcessTree(qint64 pid);

// The most address space any process of the tree has taken (VmPeak, in bytes); 0 when the
// process is gone.
qint64 PeakAddressSpace(qint64 pid);

// Follows the address space of the office (the process started and the office it runs) while
// it lays out one document. An office that dies of the memory limit cannot be asked afterwards,
// so a thread of its own looks every 100 ms.
class MemoryWatch
{
public:
    explicit MemoryWatch(qint64 pid);
    ~MemoryWatch();
    MemoryWatch(const MemoryWatch&) = delete;
    MemoryWatch& operator=(const MemoryWatch&) = delete;

    // Stops watching: the most the office took since its start, as last seen.
    qint64 peak();

private:
    void look();

    qint64 m_pid;
    std::atomic<qint64> m_peak = 0;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    std::thread m_thread;
};
