#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QUrl>
#include <QWebEngineUrlSchemeHandler>
#include <optional>

// Pages are loaded through a scheme of ours, "corvanta-page:/name.html": the program hands over
// a page's bytes, and everything the page asks for besides is read below its folder here.
inline constexpr char kPageScheme[] = "corvanta-page";
// The most one picture, style sheet, frame or script of a page may hold.
inline constexpr qint64 kResourceLimit = 64 << 20;

// Registers the scheme with the engine; before the QApplication exists.
void RegisterPageScheme();
// The URL of a file in the page's folder; relative URLs in it resolve within the scheme.
QUrl PageUrl(const QString& fileName);

// What a name below the folder `folderFd` holds when it is a regular file of at most `limit`
// bytes, found without leaving the folder or following a link at any step; no hidden name (a
// key in a home folder), no folder (its listing would show the hidden names), no pipe or device
// (it would hold the reader forever). Empty otherwise.
std::optional<QByteArray> ReadBeneath(int folderFd, const QString& relative, qint64 limit);

// A document the program handed over, as it is served.
struct HandedPage
{
    QByteArray bytes;
    QByteArray mimeType;
};

// Serves one folder to the pages of one profile: a page handed over by its bytes, any other
// file by ReadBeneath.
class PageFolderScheme final : public QWebEngineUrlSchemeHandler
{
public:
    // `pages`, keyed by their listed paths, outlives the scheme.
    PageFolderScheme(const QString& folder, const QHash<QString, HandedPage>& pages);
    ~PageFolderScheme() override;

    const QString& folder() const { return m_folder; }
    void requestStarted(QWebEngineUrlRequestJob* job) override;

private:
    QString m_folder;
    int m_folderFd = -1;
    const QHash<QString, HandedPage>& m_pages;
};
