#include "pdfprinter/OutputFile.h"

#include "pdfprinter/OutputName.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kMaxNumberedNames = 9999;
constexpr int kNameAttempts = 100;
constexpr qsizetype kBufferBytes = qsizetype(256) * 1024;

QString systemError(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

// A name of its own length, whatever the PDF's: a document's name of 250 bytes still makes a
// PDF, where a temporary name built from it would pass the file system's 255.
QByteArray hiddenName()
{
    return ".corvanta-" + QByteArray::number(QRandomGenerator::system()->generate64(), 36) +
           ".partial";
}

} // namespace

OutputFile::OutputFile(const QString& folder, const QString& fileName, bool replaceExisting,
                       Access access)
    : m_folder(folder), m_fileName(fileName), m_replaceExisting(replaceExisting), m_access(access)
{
}

OutputFile::~OutputFile()
{
    if (m_handle >= 0)
        ::close(m_handle);
    if (!m_hiddenName.isEmpty())
        ::unlinkat(m_folderHandle, m_hiddenName.constData(), 0);
    if (m_folderHandle >= 0)
        ::close(m_folderHandle);
}

QString OutputFile::targetPath() const
{
    return QDir(m_folder).filePath(m_fileName);
}

bool OutputFile::fail(int code)
{
    if (!m_failed)
        m_error = systemError(code);
    m_failed = true;
    return false;
}

bool OutputFile::open()
{
    m_folderHandle =
        ::open(QFile::encodeName(m_folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_folderHandle < 0)
        return fail(errno);
    if (!createNameless() && !createHidden())
        return false;
    // The mode the user's umask gives a new file; the file stays private until it is complete.
    struct stat info = {};
    if (::fstat(m_handle, &info) != 0)
        return fail(errno);
    m_usualMode = info.st_mode & 0777;
    if (::fchmod(m_handle, S_IRUSR | S_IWUSR) != 0)
        return fail(errno);
    m_buffer.reserve(kBufferBytes);
    return true;
}

bool OutputFile::createNameless()
{
#ifdef O_TMPFILE
    m_handle = ::openat(m_folderHandle, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
#endif
    return m_handle >= 0;
}

// For file systems without nameless files: a hidden name, created exclusively, never followed.
bool OutputFile::createHidden()
{
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const QByteArray name = hiddenName();
        m_handle = ::openat(m_folderHandle, name.constData(),
                            O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (m_handle >= 0) {
            m_hiddenName = name;
            return true;
        }
        if (errno != EEXIST)
            return fail(errno);
    }
    return fail(EEXIST);
}

bool OutputFile::write(const char* data, qsizetype size)
{
    if (m_failed || m_handle < 0)
        return m_failed ? false : fail(EBADF);
    if (m_buffer.size() + size > kBufferBytes && !flushBuffer())
        return false;
    if (size >= kBufferBytes) {
        m_buffer = QByteArray::fromRawData(data, size);
        const bool written = flushBuffer();
        m_buffer = QByteArray();
        m_buffer.reserve(kBufferBytes);
        return written;
    }
    m_buffer.append(data, size);
    return true;
}

// Every write is checked as it happens: a full disk shows at once, with its own reason.
bool OutputFile::flushBuffer()
{
    const char* data = m_buffer.constData();
    qsizetype left = m_buffer.size();
    while (left > 0) {
        const ssize_t written = ::write(m_handle, data, size_t(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return fail(errno);
        }
        data += written;
        left -= written;
    }
    m_buffer.clear();
    return true;
}

bool OutputFile::closeDurably()
{
    if (m_handle < 0)
        return m_failed ? false : fail(EBADF);
    if (!m_failed && flushBuffer() && ::fsync(m_handle) != 0)
        fail(errno);
    return !m_failed;
}

QString OutputFile::commit()
{
    if (!closeDurably())
        return {};
    unsigned mode = m_access == Access::OwnerOnly ? 0600 : m_usualMode;
    struct stat existing = {};
    if (m_replaceExisting && m_access == Access::AsUsual &&
        ::fstatat(m_folderHandle, QFile::encodeName(m_fileName).constData(), &existing,
                  AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISREG(existing.st_mode))
        mode = existing.st_mode & 0777; // a replaced PDF keeps who may read it
    if (::fchmod(m_handle, mode) != 0) {
        fail(errno);
        return {};
    }
    return m_replaceExisting ? publishReplacing() : publishBesideExisting();
}

// Gives the written file the name `name`, which must not exist yet.
bool OutputFile::link(const QByteArray& name)
{
    if (m_hiddenName.isEmpty()) {
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(m_handle);
        return ::linkat(AT_FDCWD, self.constData(), m_folderHandle, name.constData(),
                        AT_SYMLINK_FOLLOW) == 0;
    }
    if (::renameat2(m_folderHandle, m_hiddenName.constData(), m_folderHandle, name.constData(),
                    RENAME_NOREPLACE) != 0) {
        // A file system without the no-replace rename: a hard link, which refuses a taken name
        // just as well, then the hidden name goes.
        if (errno != EINVAL || ::linkat(m_folderHandle, m_hiddenName.constData(), m_folderHandle,
                                        name.constData(), 0) != 0)
            return false;
        ::unlinkat(m_folderHandle, m_hiddenName.constData(), 0);
    }
    m_hiddenName.clear();
    return true;
}

// Moves the written file over `name` (replace) or to `name` only if it is free.
bool OutputFile::placeUnder(const QByteArray& name, bool replace)
{
    if (!replace)
        return link(name);
    if (m_hiddenName.isEmpty()) {
        // A nameless file gets a hidden name first; a rename then replaces in one step.
        for (int attempt = 0; attempt < kNameAttempts && m_hiddenName.isEmpty(); ++attempt) {
            const QByteArray hidden = hiddenName();
            if (link(hidden))
                m_hiddenName = hidden;
            else if (errno != EEXIST)
                return false;
        }
        if (m_hiddenName.isEmpty())
            return false;
    }
    if (::renameat(m_folderHandle, m_hiddenName.constData(), m_folderHandle, name.constData()) != 0)
        return false;
    m_hiddenName.clear();
    return true;
}

QString OutputFile::publishReplacing()
{
    if (!placeUnder(QFile::encodeName(m_fileName), true)) {
        fail(errno);
        return {};
    }
    return targetPath();
}

// Any strategy but "replace" keeps the existing file and takes the next free name
// "name (2).PDF", "name (3).PDF"...: nothing the user already has is lost, also not a file that
// appears meanwhile, since a name is only ever taken when it is free.
QString OutputFile::publishBesideExisting()
{
    for (int n = 1; n <= kMaxNumberedNames; ++n) {
        const QString name = n == 1 ? m_fileName : NumberedFileName(m_fileName, n);
        if (placeUnder(QFile::encodeName(name), false))
            return QDir(m_folder).filePath(name);
        if (errno != EEXIST) {
            fail(errno);
            return {};
        }
    }
    m_error = QStringLiteral("no free file name beside %1").arg(targetPath());
    return {};
}
