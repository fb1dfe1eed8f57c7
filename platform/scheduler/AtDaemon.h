#pragma once

#include <QString>

// Where Debian's atd is seen: its pid file and the kernel's process table.
inline const QString kAtdPidFile = QStringLiteral("/run/atd.pid");
inline const QString kProcessFolder = QStringLiteral("/proc");

// True when the `at` daemon runs: the process the pid file names is called atd, or (a stale or
// missing pid file) some process in the process table is.
bool AtDaemonRunning(const QString& pidFile, const QString& processFolder);
