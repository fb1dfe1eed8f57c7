#pragma once

#include <QString>
#include <QStringList>
#include <QWebEngineUrlRequestInterceptor>

// Lets a page being converted load only what lies in its own folder: every request of the
// profile's pages passes here. Allowed are the page itself, files and folders inside the page's
// folder or below it as their real paths (`..` and symbolic links resolved) show them, except
// hidden ones (a page in a home folder must not read its keys and settings) and pipes or
// devices, and `data:` URLs. Everything else is blocked: other local files, every network
// scheme.
class PageFolderGuard final : public QWebEngineUrlRequestInterceptor
{
public:
    // `folder` is a real path (its symbolic links resolved).
    explicit PageFolderGuard(const QString& folder) : m_folder(folder) {}

    const QString& folder() const { return m_folder; }
    // The pages of the folder being converted or loaded now, by their real paths.
    void setPages(const QStringList& pages) { m_pages = pages; }

    void interceptRequest(QWebEngineUrlRequestInfo& info) override;

private:
    bool allows(const QUrl& url) const;

    QStringList m_pages;
    QString m_folder;
};
