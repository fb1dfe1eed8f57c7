#pragma once

#include <QString>

class Desktop;
class Dialogs;

inline const QString kLogNotFoundMessage =
    QStringLiteral("Log file not found.  Batch job not started yet.");
// The desktop has no program set up for text files.
inline const QString kNoLogViewerMessage =
    QStringLiteral("No program to show the log is set up on this desktop. Open %1 with a text "
                   "editor.");

// "View log": the last batch run's log of the remembered starting folder, in the desktop's text
// editor.
void ViewBatchLog(const QString& startFolder, Desktop& desktop, Dialogs& dialogs);
