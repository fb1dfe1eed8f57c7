#include "platform/pdfprinter/OutputFile.h"

#include "conversion/SavedDocument.h"
#include "platform/pdfprinter/OutputName.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <unistd.h>

namespace {

constexpr int kMaxNumberedNames = 9999;
constexpr qsizetype kBufferBytes = 256 * 1024;

std::filesystem::path fsPath(const QString& path)
{
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

QString systemError(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

} // namespace

OutputFile::OutputFile(const QString& folder, const QString& fileName, bool replaceExisting)
    : m_folder(folder), m_fileName(fileName), m_replaceExisting(replaceExisting),
      m_temporary(QDir(folder).filePath(QLatin1Char('.') + fileName + QStringLiteral(".XXXXXX")))
{
}

QString OutputFile::targetPath() const
{
    return QDir(m_folder).filePath(m_fileName);
}

bool OutputFile::open()
{
    if (!m_temporary.open()) {
        m_error = m_temporary.errorString();
        m_failed = true;
        return false;
    }
    m_buffer.reserve(kBufferBytes);
    return true;
}

bool OutputFile::fail(int code)
{
    if (!m_failed)
        m_error = systemError(code);
    m_failed = true;
    return false;
}

bool OutputFile::write(const char* data, qsizetype size)
{
    if (m_failed || !m_temporary.isOpen())
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
    const int handle = m_temporary.handle();
    const char* data = m_buffer.constData();
    qsizetype left = m_buffer.size();
    while (left > 0) {
        const ssize_t written = ::write(handle, data, size_t(left));
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
    if (!m_failed && m_temporary.isOpen() && flushBuffer() && ::fsync(m_temporary.handle()) != 0)
        fail(errno);
    m_temporary.close();
    return !m_failed;
}

QString OutputFile::commit()
{
    if (!closeDurably())
        return {};
    const QString target = targetPath();
    const QString committed =
        m_replaceExisting ? commitReplacing(target) : commitBesideExisting(target);
    if (!committed.isEmpty())
        m_temporary.setAutoRemove(false);
    return committed;
}

QString OutputFile::commitReplacing(const QString& target)
{
    const QFileInfo existing(target);
    QFile::setPermissions(m_temporary.fileName(),
                          existing.exists() ? existing.permissions() : kSavedDocumentPermissions);
    std::error_code error;
    std::filesystem::rename(fsPath(m_temporary.fileName()), fsPath(target), error);
    if (error) {
        m_error = QString::fromStdString(error.message());
        return {};
    }
    return target;
}

// Any strategy but "replace" keeps the existing file and takes the next free name
// "name (2).PDF", "name (3).PDF"...: nothing the user already has is lost. The rename refuses
// to overwrite, so a file that appears meanwhile is not lost either.
QString OutputFile::commitBesideExisting(const QString& target)
{
    QFile::setPermissions(m_temporary.fileName(), kSavedDocumentPermissions);
    for (int n = 1; n <= kMaxNumberedNames; ++n) {
        const QString candidate =
            n == 1 ? target : QDir(m_folder).filePath(NumberedFileName(m_fileName, n));
        if (QFile::exists(candidate))
            continue;
        QFile file(m_temporary.fileName());
        if (file.rename(candidate))
            return candidate;
        if (!QFile::exists(candidate)) {
            m_error = file.errorString();
            return {};
        }
    }
    m_error = QStringLiteral("no free file name beside %1").arg(target);
    return {};
}
