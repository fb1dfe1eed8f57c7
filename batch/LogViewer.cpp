#include "batch/LogViewer.h"

#include "common/Desktop.h"
#include "common/Dialogs.h"
#include "common/PathHelpers.h"
#include "conversion/BatchLog.h"

#include <QFileInfo>

void ViewBatchLog(const QString& startFolder, Desktop& desktop, Dialogs& dialogs)
{
    // With no starting folder the bare name is looked up in the current folder.
    const QString path = WithTrailingBackslash(startFolder) + kBatchLogName;
    const QFileInfo log(path);
    if (!log.exists() || log.isDir()) {
        dialogs.message(kLogNotFoundMessage);
        return;
    }
    // Only whether an editor could be started at all is looked at, not what became of it.
    if (!desktop.openFile(log.absoluteFilePath()))
        dialogs.message(kNoLogViewerMessage.arg(log.absoluteFilePath()), Dialogs::Icon::Warning);
}
