#pragma once

#include <QWebEngineUrlRequestInterceptor>

class QUrl;

// Every request of the profile's pages passes here. Allowed are `data:` URLs and the page
// scheme, whose handler (PageFolderScheme) serves only the page's own folder; everything else
// is blocked: local files, every network scheme.
class PageFolderGuard final : public QWebEngineUrlRequestInterceptor
{
public:
    void interceptRequest(QWebEngineUrlRequestInfo& info) override;

    static bool allows(const QUrl& url);
};
