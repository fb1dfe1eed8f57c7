#include "web/worker/PageFolderScheme.h"

#include <QBuffer>
#include <QFile>
#include <QLoggingCategory>
#include <QMimeDatabase>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>

#include <cerrno>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcWebScheme, "corvanta.web.scheme", QtWarningMsg)

namespace {

class Descriptor
{
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    int get() const { return m_fd; }

private:
    int m_fd;
};

QString fileKey(const QString& folder, const QString& relative)
{
    return folder.endsWith(QLatin1Char('/')) ? folder + relative
                                             : folder + QLatin1Char('/') + relative;
}

} // namespace

void RegisterPageScheme()
{
    QWebEngineUrlScheme scheme(kPageScheme);
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Path);
    // Secure, so a page works as over https. Not a local scheme: its pages would then need
    // leave to read the local schemes, file: among them.
    scheme.setFlags(QWebEngineUrlScheme::SecureScheme);
    QWebEngineUrlScheme::registerScheme(scheme);
}

QUrl PageUrl(const QString& fileName)
{
    QUrl url;
    url.setScheme(QLatin1String(kPageScheme));
    url.setPath(QLatin1Char('/') + fileName, QUrl::DecodedMode);
    return url;
}

std::optional<QByteArray> ReadBeneath(int folderFd, const QString& relative, qint64 limit)
{
    if (relative.isEmpty() || relative.contains(QChar(0)))
        return std::nullopt;
    for (const QString& name : relative.split(QLatin1Char('/'))) {
        // Also "" (a folder named with a trailing slash) and "..".
        if (name.isEmpty() || name.startsWith(QLatin1Char('.')))
            return std::nullopt;
    }
    open_how how = {};
    how.flags = O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK;
    how.resolve = RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS;
    const QByteArray path = QFile::encodeName(relative);
    const Descriptor file(
        int(::syscall(SYS_openat2, folderFd, path.constData(), &how, sizeof how)));
    struct stat status = {};
    if (file.get() < 0 || ::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode) ||
        status.st_size > limit)
        return std::nullopt;
    QByteArray bytes;
    bytes.reserve(qsizetype(status.st_size));
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(file.get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 || bytes.size() + got > limit) // it grew past the limit meanwhile
            return std::nullopt;
        if (got == 0)
            return bytes;
        bytes.append(buffer, got);
    }
}

PageFolderScheme::PageFolderScheme(const QString& folder, const QHash<QString, HandedPage>& pages)
    : m_folder(folder), m_pages(pages)
{
    // The folder as listed, links in its own path resolved once, here; nothing below it is.
    m_folderFd = ::open(QFile::encodeName(folder).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (m_folderFd < 0)
        qCWarning(lcWebScheme) << "cannot open the page's folder" << folder;
}

PageFolderScheme::~PageFolderScheme()
{
    if (m_folderFd >= 0)
        ::close(m_folderFd);
}

void PageFolderScheme::requestStarted(QWebEngineUrlRequestJob* job)
{
    const QUrl url = job->requestUrl();
    QString relative = url.path(QUrl::FullyDecoded);
    if (relative.startsWith(QLatin1Char('/')))
        relative.remove(0, 1);
    const auto handed = m_pages.constFind(fileKey(m_folder, relative));
    QByteArray bytes;
    QByteArray mimeType;
    if (handed != m_pages.cend()) {
        bytes = handed->bytes;
        mimeType = handed->mimeType;
    } else {
        const auto read =
            m_folderFd < 0 ? std::nullopt : ReadBeneath(m_folderFd, relative, kResourceLimit);
        if (!read) {
            qCDebug(lcWebScheme) << "not served:" << relative.left(200);
            job->fail(QWebEngineUrlRequestJob::UrlNotFound);
            return;
        }
        bytes = *read;
        mimeType = QMimeDatabase()
                       .mimeTypeForFile(relative, QMimeDatabase::MatchExtension)
                       .name()
                       .toUtf8();
    }
    auto* const body = new QBuffer(job);
    body->setData(bytes);
    body->open(QIODevice::ReadOnly);
    job->reply(mimeType, body);
}
