#pragma once

#include <QFile>
#include <QString>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

// Takes an exclusive lock on a folder that every user working in it reaches, so that two
// programs, whoever runs them and from whichever home, see each other; nothing is written into
// the folder for it. Answers the descriptor holding the lock (the caller's to close, which
// releases it; the system releases it with a killed holder), -1 when another holds the lock
// (`held` set) or the folder cannot be locked at all.
inline int LockFolder(const QString& folder, bool* held)
{
    *held = false;
#ifdef Q_OS_UNIX
    const int handle =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (handle < 0)
        return -1;
    if (::flock(handle, LOCK_EX | LOCK_NB) != 0) {
        *held = errno == EWOULDBLOCK;
        ::close(handle);
        return -1;
    }
    return handle;
#else
    Q_UNUSED(folder);
    return -1;
#endif
}

inline void UnlockFolder(int handle)
{
#ifdef Q_OS_UNIX
    if (handle >= 0)
        ::close(handle);
#endif
}
