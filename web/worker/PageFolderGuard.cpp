#include "web/worker/PageFolderGuard.h"

#include "web/worker/PageFolderScheme.h"

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

bool PageFolderGuard::allows(const QUrl& url)
{
    return url.scheme() == QLatin1String("data") || url.scheme() == QLatin1String(kPageScheme);
}
