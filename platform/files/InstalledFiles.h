#pragma once

#include <QString>

// The files installed with the program are found from the program's own folder, never from a
// fixed prefix, so an installed tree works wherever it lies (/usr, /usr/local, or unpacked into
// any folder): helper programs in the helpers' folder, data files in the data folder, both named
// relative to the program's folder by the install layout. The build folder keeps them all beside
// the program, which is looked at second.

// A helper program installed with ours: its path, or empty when neither folder holds it.
QString InstalledProgram(const QString& name);
QString InstalledProgram(const QString& name, const QString& programFolder);

// A data file installed with the program (the help file): its path, or the path beside the
// program when neither folder holds it, so a missing file is reported where it was looked for
// last.
QString InstalledDataFile(const QString& name);
QString InstalledDataFile(const QString& name, const QString& programFolder);
