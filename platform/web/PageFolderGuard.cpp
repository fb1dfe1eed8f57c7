#include "platform/web/PageFolderGuard.h"

#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QUrl>

// Blocked requests are logged at debug level: a hostile page could ask for thousands.
Q_LOGGING_CATEGORY(lcWebGuard, "corvanta.web.guard", QtWarningMsg)

void PageFolderGuard::interceptRequest(QWebEngineUrlRequestInfo& info)
{
    if (allows(info.requestUrl()))
        return;
    qCDebug(lcWebGuard) << "blocked" << info.requestUrl().toDisplayString().left(200);
    info.block(true);
}

bool PageFolderGuard::allows(const QUrl& url) const
{
    if (url.scheme() == QLatin1String("data"))
        return true;
    if (url.scheme() != QLatin1String("file") || !url.host().isEmpty())
        return false;
    // The real path, as the engine will open it; empty for a file that does not exist.
    const QFileInfo real(QFileInfo(url.toLocalFile()).canonicalFilePath());
    // Plain files and folders only: a pipe or a device would hold the engine's reader forever.
    if (!real.isFile() && !real.isDir())
        return false;
    const QString path = real.filePath();
    if (m_pages.contains(path))
        return true;
    const QString inside = QDir(m_folder).relativeFilePath(path);
    if (inside == QLatin1String("."))
        return true;
    if (QDir::isAbsolutePath(inside))
        return false;
    // Outside the folder the path starts with "..", and a hidden name with a dot as well.
    for (const QString& name : inside.split(QLatin1Char('/'))) {
        if (name.startsWith(QLatin1Char('.')))
            return false;
    }
    return true;
}
