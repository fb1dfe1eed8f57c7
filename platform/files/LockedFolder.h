#pragma once

#include <QString>
#include <memory>

// A folder of this run's own, `<prefix>` and six random characters under a parent folder, mode
// 0700. A lock on a file in it, held while the object lives, tells other runs that it is in
// use; the kernel lets go of it however the run ends, so a folder whose lock is free is one a
// killed run left behind (SweepAbandonedFolders). Destroying the object removes the folder.
class LockedFolder
{
public:
    // Nullptr, with the reason in `error`, when no folder could be made and locked.
    static std::unique_ptr<LockedFolder> create(const QString& parent, const QString& prefix,
                                                QString* error = nullptr);
    // The same under a parent folder already open (and checked) as `parentFolder`.
    static std::unique_ptr<LockedFolder> create(int parentFolder, const QString& parent,
                                                const QString& prefix, QString* error = nullptr);
    ~LockedFolder();
    LockedFolder(const LockedFolder&) = delete;
    LockedFolder& operator=(const LockedFolder&) = delete;

    const QString& path() const { return m_path; }

private:
    LockedFolder(QString path, int parent, int folder, int lock);

    QString m_path;
    int m_parent;
    int m_folder;
    int m_lock;
};

// Removes the folders `<prefix>XXXXXX` under the parent whose lock nobody holds, with their
// contents. Only folders that belong to us are touched and no symbolic link is followed.
// Returns how many went.
int SweepAbandonedFolders(const QString& parent, const QString& prefix);
int SweepAbandonedFolders(int parentFolder, const QString& prefix);
