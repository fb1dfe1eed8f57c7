#pragma once

#include <QString>
#include <memory>

class QLockFile;

// Held while a bulk conversion of one starting folder runs, by whichever instance of the program
// runs it, for whichever user: the lock is the folder's own (and one in the user's data folder
// as well, for a folder that cannot be locked). A lock left by a program that was killed is
// taken over.
class FolderRunLock
{
public:
    explicit FolderRunLock(const QString& startFolder);
    ~FolderRunLock();

    bool acquired() const { return m_acquired; }

private:
    std::unique_ptr<QLockFile> m_lock;
    int m_folderLock = -1;
    bool m_acquired = false;
};
