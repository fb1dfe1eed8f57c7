#pragma once

#include <QChar>
#include <QString>

// The folder separator of this platform ('/' here, '\' on Windows).
QChar PathSeparator();

// Makes a folder text end in exactly one separator, so a file name can be appended by plain
// concatenation: blanks and control characters are trimmed from both ends, one separator is
// added when the text does not already end in one, and nothing else is touched.
// An empty text stays empty.
QString WithTrailingBackslash(const QString& path);

// The folder of the running program file, ending in a separator: home of the help file and the
// toolkit shipped beside the program.
QString ProgramFolder();

// The per-user folder for the files the program writes for itself (scanned pages, the
// scheduler's query output), ending in a separator. An installed program's folder is not
// writable, so these never go beside the program. Created when missing, for the owner alone.
QString ProgramDataFolder();
