#pragma once

#include <QString>
#include <QStringList>
#include <memory>

class QLockFile;

inline const QString kScannedPagePrefix = QStringLiteral("ScannedImage");

// The page files one window scans, in the folder every window of the user shares. Each window
// is registered there while it runs (a lock its process holds, and the list of the names it
// took), so that
// - no two windows take the same name, even when both scan at once;
// - a window deletes only the pages it scanned itself;
// - the pages a killed window left behind are removed when the next window starts, and never a
//   page a running window still owns.
class ScannedPageFiles
{
public:
    // `folder` ends in a separator. Registers this window, then removes the pages no running
    // window owns.
    explicit ScannedPageFiles(QString folder);
    // Ends the registration; the pages stay (deleteOwn deletes them).
    ~ScannedPageFiles();
    ScannedPageFiles(const ScannedPageFiles&) = delete;
    ScannedPageFiles& operator=(const ScannedPageFiles&) = delete;

    QString folder() const { return m_folder; }

    // Takes the name of the next page: the scanner's count of pages, or a higher number when a
    // page file of that number is there already. The file is created empty, so nobody else
    // takes it, and is this window's from now on. Empty, with the reason in `error`, when no
    // name could be taken.
    QString claim(int imageCount, QString* error);
    // Gives a claimed name back (its picture could not be written) and removes its file.
    void release(const QString& path);

    // The paths of the pages this window scanned that are still there.
    QStringList pages() const;
    bool owns(const QString& path) const { return m_pages.contains(path); }
    // Deletes the pages this window scanned; one that cannot be deleted is skipped.
    void deleteOwn();

    // The number claim starts from: `imageCount`, or one above the highest number of a page
    // file in `folder` when that is more.
    static int NextPageNumber(const QString& folder, int imageCount);

private:
    bool registerName(const QString& name);
    void removeUnowned();

    QString m_folder;
    QString m_ownersFolder;
    QString m_lockName;
    QString m_names; // the file listing the names this window took
    std::unique_ptr<QLockFile> m_lock;
    QStringList m_pages;
};
