#pragma once

#include <QString>

#ifdef Q_OS_LINUX
#include <sys/prctl.h>
#endif

// Overwrites a secret's characters before it is let go, so they do not linger in freed memory.
inline void Wipe(QString& secret)
{
    secret.fill(QChar(0)); // a copy shared with another string is copied first, not overwritten
    secret.clear();
}

// Keeps the process's memory out of core dumps and away from other programs of the same user
// (no ptrace, no /proc/<pid>/mem), for the rest of its life.
inline void KeepOutOfCoreDumps()
{
#ifdef Q_OS_LINUX
    ::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
#endif
}
