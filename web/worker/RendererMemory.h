#pragma once

#include <QtGlobal>

// The memory a process holds of its own, in MB: its resident anonymous and shared pages, not the
// program files it maps. -1 when it cannot be read (the process has ended).
qint64 OwnResidentMemoryMb(qint64 pid);
