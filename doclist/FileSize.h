#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// The size of a file in bytes, hidden and read-only files included; 0 when there is none.
quint64 FileSizeOf(const QString& path);
// The same for a file named by the file system's own bytes.
quint64 FileSizeOf(const QByteArray& nativePath);
