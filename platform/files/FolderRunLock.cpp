#include "platform/files/FolderRunLock.h"

#include "common/PathHelpers.h"
#include "platform/files/FolderLock.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>

namespace {

// Two spellings of one folder ("/srv/in", "/srv/in/", a link to it) are one folder.
QString identityOf(const QString& folder)
{
    const QFileInfo info(folder);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

} // namespace

FolderRunLock::FolderRunLock(const QString& startFolder)
{
    // The lock lives in the user's own data folder, not in the starting folder, which others
    // may write to.
    const QByteArray key =
        QCryptographicHash::hash(identityOf(startFolder).toUtf8(), QCryptographicHash::Sha256)
            .toHex()
            .left(32);
    m_lock = std::make_unique<QLockFile>(ProgramDataFolder() + QStringLiteral("bulk-") +
                                         QString::fromLatin1(key) + QStringLiteral(".lock"));
    m_lock->setStaleLockTime(0); // only a dead owner makes a lock stale, never its age
    if (!m_lock->tryLock(0))
        return;
    bool held = false;
    m_folderLock = LockFolder(startFolder, &held);
    m_acquired = !held;
}

FolderRunLock::~FolderRunLock()
{
    UnlockFolder(m_folderLock);
}

std::unique_ptr<RunLock> FolderRunLocks::lockRunOf(const QString& startFolder) const
{
    auto lock = std::make_unique<FolderRunLock>(startFolder);
    if (!lock->acquired())
        return nullptr;
    return lock;
}
