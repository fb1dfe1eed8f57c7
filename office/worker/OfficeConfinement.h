#pragma once

#include <QString>
#include <QStringList>

// A document can name any file of the computer (a linked picture, an RTF INCLUDEPICTURE field,
// a linked object), and some of the office's import filters read such a file whatever the
// office's settings say. So the office runs confined by the kernel (Landlock): it may read the
// system's own folders (programs, libraries, fonts, settings) and its own folder, where each
// document is copied before it is opened, and nothing else; where the kernel offers it, it may
// open no TCP connection either.

// The Landlock version the kernel offers; 0 when it has none, and the office then runs
// unconfined.
int OfficeConfinementVersion();

// The arguments that make this program (the worker) confine itself to `ownFolder` and then
// become `program` with `arguments`.
QStringList ConfinedStart(const QString& ownFolder, const QString& program,
                          const QStringList& arguments);

// True when the command line is one ConfinedStart made.
bool IsConfinedStart(int argc, char** argv);
// Confines this process and replaces it with the program; returns (an exit status) only when
// that failed. Runs before anything else of the program, with nothing but system calls.
int RunConfined(int argc, char** argv);
