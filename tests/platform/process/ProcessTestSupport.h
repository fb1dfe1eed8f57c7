#pragma once

#include "platform/process/ProcessCommand.h"

#include <QString>
#include <QStringList>

// The helper program beside the test binary, with its mode and arguments.
ProcessCommand helperCommand(const QStringList& arguments);

// True once the process is gone (or a zombie nobody reaps), polling until `limitMs`.
bool processEnds(qint64 pid, int limitMs);

// The pid a helper wrote to `file`, or 0 while there is none.
qint64 pidInFile(const QString& file);
