#pragma once

#include <QFile>
#include <QString>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

// Opens a file of a folder others may write to for rewriting it (it is created when missing,
// emptied when it is there), but only when it is what it claims to be: a regular file of the
// user's own with no other name, reached without following a symbolic link. Anything else (a
// planted link to the user's ~/.bashrc, another user's file, a pipe) is refused: answers -1 and
// says why in `why`. The descriptor answered is the caller's to close.
inline int OpenOwnFileForRewriting(const QString& path, QString* why)
{
#ifdef Q_OS_UNIX
    const auto refuse = [&](const QString& reason, int handle) {
        if (why)
            *why = reason;
        if (handle >= 0)
            ::close(handle);
        return -1;
    };
    // Non-blocking, so a planted pipe cannot make the open wait for a reader forever.
    const int handle = ::open(QFile::encodeName(path).constData(),
                              O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
    if (handle < 0) {
        if (errno == ELOOP)
            return refuse(QStringLiteral("it is a symbolic link"), -1);
        if (errno == ENXIO)
            return refuse(QStringLiteral("it is not a regular file"), -1);
        return refuse(QString::fromLocal8Bit(std::strerror(errno)), -1);
    }
    struct stat info = {};
    if (::fstat(handle, &info) != 0)
        return refuse(QString::fromLocal8Bit(std::strerror(errno)), handle);
    if (!S_ISREG(info.st_mode))
        return refuse(QStringLiteral("it is not a regular file"), handle);
    if (info.st_uid != ::geteuid())
        return refuse(QStringLiteral("it belongs to another user"), handle);
    if (info.st_nlink > 1)
        return refuse(QStringLiteral("it has other names (hard links) as well"), handle);
    if (::fcntl(handle, F_SETFL, 0) != 0 || ::ftruncate(handle, 0) != 0)
        return refuse(QString::fromLocal8Bit(std::strerror(errno)), handle);
    return handle;
#else
    Q_UNUSED(path);
    Q_UNUSED(why);
    return -1;
#endif
}

// Closes a descriptor OpenOwnFileForRewriting answered, when it was not handed on.
inline void CloseOwnFile(int handle)
{
#ifdef Q_OS_UNIX
    if (handle >= 0)
        ::close(handle);
#else
    Q_UNUSED(handle);
#endif
}
