#include "platform/files/LockedFolder.h"

#include "platform/files/FilesLog.h"
#include "platform/files/FolderRemoval.h"

#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char kLockName[] = ".corvanta.lock";
constexpr int kSuffixLength = 6;
constexpr int kNameAttempts = 16;

QString randomSuffix()
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QString suffix;
    for (int i = 0; i < kSuffixLength; ++i)
        suffix += QLatin1Char(letters[QRandomGenerator::system()->bounded(62)]);
    return suffix;
}

bool isOurs(const QString& name, const QString& prefix)
{
    if (name.size() != prefix.size() + kSuffixLength || !name.startsWith(prefix))
        return false;
    for (qsizetype i = prefix.size(); i < name.size(); ++i) {
        const QChar c = name.at(i);
        if (c.unicode() > 127 || !c.isLetterOrNumber())
            return false;
    }
    return true;
}

int openFolder(int parent, const char* name)
{
    return ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

// The folder's lock, taken without waiting; -1 when someone else holds it. The lock file is
// made when missing, so a sweep and the run that just made the folder race for one lock.
int takeLock(int folder)
{
    const int lock =
        ::openat(folder, kLockName, O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, S_IRUSR | S_IWUSR);
    if (lock < 0)
        return -1;
    if (::flock(lock, LOCK_EX | LOCK_NB) != 0) {
        ::close(lock);
        return -1;
    }
    return lock;
}

// True when `name` in `folder` is still the file open as `open`.
bool stillThere(int open, int folder, const char* name)
{
    struct stat opened = {};
    struct stat named = {};
    return ::fstat(open, &opened) == 0 &&
           ::fstatat(folder, name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
           opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

QStringList namesIn(int parent)
{
    QStringList names;
    for (const std::string& name : FolderEntries(parent))
        names.append(QFile::decodeName(QByteArray::fromStdString(name)));
    return names;
}

// Removes a folder whose lock we hold: its contents, then the lock file, then the folder. A run
// that made the folder and finds the lock file gone makes another folder.
bool removeLocked(int parent, const QByteArray& name, int folder)
{
    const bool emptied = RemoveFolderContents(folder, kLockName);
    ::unlinkat(folder, kLockName, 0);
    return emptied && ::unlinkat(parent, name.constData(), AT_REMOVEDIR) == 0;
}

} // namespace

LockedFolder::LockedFolder(QString path, int parent, int folder, int lock)
    : m_path(std::move(path)), m_parent(parent), m_folder(folder), m_lock(lock)
{
}

LockedFolder::~LockedFolder()
{
    if (!removeLocked(m_parent, QFile::encodeName(m_path.section('/', -1)), m_folder))
        qCWarning(lcFiles) << "could not remove all of" << m_path << "; the next run will";
    ::close(m_lock);
    ::close(m_folder);
    ::close(m_parent);
}

std::unique_ptr<LockedFolder> LockedFolder::create(const QString& parent, const QString& prefix,
                                                   QString* error)
{
    const int folder =
        ::open(QFile::encodeName(parent).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) {
        if (error)
            *error = parent + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
        return nullptr;
    }
    auto made = create(folder, parent, prefix, error);
    ::close(folder);
    return made;
}

std::unique_ptr<LockedFolder> LockedFolder::create(int parentFolder, const QString& parent,
                                                   const QString& prefix, QString* error)
{
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const QString name = prefix + randomSuffix();
        const QByteArray encoded = QFile::encodeName(name);
        if (::mkdirat(parentFolder, encoded.constData(), S_IRWXU) != 0) {
            if (errno == EEXIST)
                continue;
            if (error)
                *error =
                    parent + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
            return nullptr;
        }
        const int folder = openFolder(parentFolder, encoded.constData());
        const int lock = folder < 0 ? -1 : takeLock(folder);
        // A sweep that saw the folder before we locked it may have taken it away.
        if (lock >= 0 && stillThere(folder, parentFolder, encoded.constData()) &&
            stillThere(lock, folder, kLockName)) {
            ::fchmod(folder, S_IRWXU); // whatever the umask
            const int heldParent = ::fcntl(parentFolder, F_DUPFD_CLOEXEC, 0);
            if (heldParent >= 0)
                return std::unique_ptr<LockedFolder>(
                    new LockedFolder(parent + '/' + name, heldParent, folder, lock));
        }
        if (lock >= 0)
            ::close(lock);
        if (folder >= 0)
            ::close(folder);
    }
    if (error)
        *error = parent + QStringLiteral(": no folder of our own could be made and locked");
    return nullptr;
}

int SweepAbandonedFolders(const QString& parent, const QString& prefix)
{
    const int folder =
        ::open(QFile::encodeName(parent).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0)
        return 0;
    const int swept = SweepAbandonedFolders(folder, prefix);
    ::close(folder);
    return swept;
}

int SweepAbandonedFolders(int parentFolder, const QString& prefix)
{
    int swept = 0;
    for (const QString& name : namesIn(parentFolder)) {
        if (!isOurs(name, prefix))
            continue;
        const QByteArray encoded = QFile::encodeName(name);
        // Opened without following a link, then checked through the open folder.
        const int folder = openFolder(parentFolder, encoded.constData());
        if (folder < 0)
            continue;
        struct stat info = {};
        const int lock =
            ::fstat(folder, &info) == 0 && info.st_uid == ::geteuid() ? takeLock(folder) : -1;
        if (lock >= 0) {
            if (removeLocked(parentFolder, encoded, folder))
                ++swept;
            else
                qCWarning(lcFiles) << "could not remove all of the abandoned folder" << name;
            ::close(lock);
        }
        ::close(folder);
    }
    if (swept > 0)
        qCInfo(lcFiles) << "removed" << swept << "folders left by runs that were killed";
    return swept;
}
