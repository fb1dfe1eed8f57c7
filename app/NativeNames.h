#pragma once

#include <QByteArray>
#include <QString>

// File names on this system are bytes; most are UTF-8 text, but a name copied from an old disk
// may hold bytes that are not (a Latin-1 "caf\xE9.txt"). Such a name is shown, logged and used
// to name its PDF with each odd byte written as \xNN; the bytes themselves still find the file.

// The name as text. `exact` tells whether the text names the file by itself (it round-trips).
QString TextOfFileName(const QByteArray& native, bool* exact = nullptr);
