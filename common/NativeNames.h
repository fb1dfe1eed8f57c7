#pragma once

#include <QByteArray>
#include <QString>

// File names on this system are bytes; most are UTF-8 text, but a name copied from an old disk
// may hold bytes that are not (a Latin-1 "caf\xE9.txt"), and a name someone else chose may hold
// a line break or a character that turns text around, to forge lines of a log. Such a name is
// shown, logged and used to name its PDF with each odd byte or control character written as
// \xNN (\uNNNN for the direction controls); the bytes themselves still find the file.

// The name as text. `exact` tells whether the text names the file by itself (it round-trips).
QString TextOfFileName(const QByteArray& native, bool* exact = nullptr);

// The text with its control characters (C0, DEL, C1, line and paragraph separators, direction
// controls) written as escapes, so it stays on one line and reads as it is.
QString EscapeControlCharacters(const QString& text);
