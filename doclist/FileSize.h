#pragma once

#include <QString>
#include <QtGlobal>

// The size of a file in bytes, hidden and read-only files included; 0 when there is none.
quint64 FileSizeOf(const QString& path);
