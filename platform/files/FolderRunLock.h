#pragma once

#include "batch/RunLocks.h"

#include <QString>
#include <memory>

class QLockFile;

// Held while a bulk conversion of one starting folder runs, by whichever instance of the program
// runs it, for whichever user: the lock is the folder's own (and one in the user's data folder
// as well, for a folder that cannot be locked). A lock left by a program that was killed is
// taken over.
class FolderRunLock final : public RunLock
{
public:
    explicit FolderRunLock(const QString& startFolder);
    ~FolderRunLock() override;

    bool acquired() const { return m_acquired; }

private:
    std::unique_ptr<QLockFile> m_lock;
    int m_folderLock = -1;
    bool m_acquired = false;
};

// The locks of the real folders.
class FolderRunLocks final : public RunLocks
{
public:
    std::unique_ptr<RunLock> lockRunOf(const QString& startFolder) const override;
};

// It holds no state, so one serves everyone.
inline const FolderRunLocks kFolderRunLocks;
