#include "platform/files/DescriptorOpener.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// The open file, and the link of ours that names it, for as long as a route may read it.
struct HeldFile
{
    HeldFile(int descriptor, QString linkFolder)
        : descriptor(descriptor), linkFolder(std::move(linkFolder))
    {
    }
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

    const int descriptor;
    const QString linkFolder;

    ~HeldFile()
    {
        QDir(linkFolder).removeRecursively();
        ::close(descriptor);
    }
};

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

DocumentFileKind kindOfError(int error)
{
    // ELOOP: a link (O_NOFOLLOW, RESOLVE_NO_SYMLINKS); EXDEV: a path out of the folder; ENXIO: a
    // socket or a device without its driver.
    return error == ELOOP || error == EXDEV || error == ENXIO ? DocumentFileKind::NotAFile
                                                              : DocumentFileKind::Missing;
}

// Non-blocking, so that a pipe swapped in cannot make the open wait for a writer.
constexpr int kReadFlags = O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;

int openBeneath(const QByteArray& folder, const QByteArray& relative)
{
    const int base = ::open(folder.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (base < 0)
        return -1;
    // Entries that are not plain files are never opened, not even for a look.
    struct stat before = {};
    int result = -1;
    if (::fstatat(base, relative.constData(), &before, AT_SYMLINK_NOFOLLOW) != 0) {
        result = -1;
    } else if (!S_ISREG(before.st_mode)) {
        errno = S_ISLNK(before.st_mode) ? ELOOP : ENXIO;
    } else {
        open_how how = {};
        how.flags = kReadFlags | O_NOFOLLOW;
        how.resolve = RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS;
        result = int(::syscall(SYS_openat2, base, relative.constData(), &how, sizeof how));
        if (result < 0 && errno == ENOSYS && !relative.contains('/'))
            result = ::openat(base, relative.constData(), kReadFlags | O_NOFOLLOW);
    }
    const int error = errno;
    ::close(base);
    errno = error;
    return result;
}

} // namespace

DescriptorOpener::DescriptorOpener() = default;

DescriptorOpener::~DescriptorOpener() = default;

QString DescriptorOpener::privateFolder()
{
    if (!m_folder)
        m_folder = std::make_unique<QTemporaryDir>();
    return m_folder->isValid() ? m_folder->path() : QString();
}

OpenedDocument DescriptorOpener::open(const QString& path, const QByteArray& native,
                                      const QString& folder, bool followLinks)
{
    const QByteArray file = native.isEmpty() ? QFile::encodeName(path) : native;
    QByteArray base = QFile::encodeName(folder);
    if (!base.isEmpty() && !base.endsWith('/'))
        base += '/';

    int descriptor = -1;
    if (followLinks)
        descriptor = ::open(file.constData(), kReadFlags);
    else if (!base.isEmpty() && file.startsWith(base) && file.size() > base.size())
        descriptor = openBeneath(base, file.mid(base.size()));
    else
        descriptor = ::open(file.constData(), kReadFlags | O_NOFOLLOW);

    OpenedDocument opened;
    const QString name = QFileInfo(path).fileName();
    const QString links = privateFolder();
    const int number = ++m_count;
    if (descriptor < 0) {
        const int error = errno;
        opened.kind = kindOfError(error);
        opened.error = systemError(error);
        opened.readable = links + QStringLiteral("/missing-%1/").arg(number) + name;
        return opened;
    }
    struct stat info = {};
    if (::fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(descriptor);
        opened.kind = DocumentFileKind::NotAFile;
        return opened;
    }
    ::fcntl(descriptor, F_SETFL, ::fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);

    const QString linkFolder = links + QLatin1Char('/') + QString::number(number);
    auto held = std::make_shared<const HeldFile>(descriptor, linkFolder);
    const QString link = linkFolder + QLatin1Char('/') + name;
    const QByteArray target = "/proc/self/fd/" + QByteArray::number(descriptor);
    if (links.isEmpty() || !QDir().mkpath(linkFolder) ||
        ::symlink(target.constData(), QFile::encodeName(link).constData()) != 0) {
        opened.kind = DocumentFileKind::Missing;
        opened.error = QStringLiteral("no private folder for the document: ") + systemError(errno);
        opened.readable = links + QStringLiteral("/missing-%1/").arg(number) + name;
        return opened;
    }
    opened.kind = DocumentFileKind::Regular;
    opened.readable = link;
    opened.held = std::move(held);
    return opened;
}
