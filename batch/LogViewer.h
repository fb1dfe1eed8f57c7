#pragma once

#include <QString>

class Desktop;
class Dialogs;

inline const QString kLogNotFoundMessage =
    QStringLiteral("Log file not found.  Batch job not started yet.");

// "View log": the last batch run's log of the remembered starting folder, in the desktop's text
// editor.
void ViewBatchLog(const QString& startFolder, Desktop& desktop, Dialogs& dialogs);
