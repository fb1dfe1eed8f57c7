#include "platform/pdfprinter/OutputFile.h"

#include "conversion/SavedDocument.h"
#include "platform/pdfprinter/OutputName.h"

#include <QDir>
#include <QFile>
#include <filesystem>

namespace {

constexpr int kMaxNumberedNames = 9999;

std::filesystem::path fsPath(const QString& path)
{
    return std::filesystem::path(path.toStdU16String());
}

} // namespace

OutputFile::OutputFile(const QString& folder, const QString& fileName, bool replaceExisting)
    : m_folder(folder), m_fileName(fileName), m_replaceExisting(replaceExisting),
      m_temporary(QDir(folder).filePath(QLatin1Char('.') + fileName + QStringLiteral(".XXXXXX")))
{
}

bool OutputFile::open()
{
    if (!m_temporary.open()) {
        m_error = m_temporary.errorString();
        return false;
    }
    m_temporary.close(); // the writer opens it by name; the object still removes it
    return true;
}

QString OutputFile::commit()
{
    const QString target = QDir(m_folder).filePath(m_fileName);
    const QString committed =
        m_replaceExisting ? commitReplacing(target) : commitBesideExisting(target);
    if (!committed.isEmpty())
        m_temporary.setAutoRemove(false);
    return committed;
}

QString OutputFile::commitReplacing(const QString& target)
{
    const QFileInfo existing(target);
    QFile::setPermissions(temporaryPath(),
                          existing.exists() ? existing.permissions() : kSavedDocumentPermissions);
    std::error_code error;
    std::filesystem::rename(fsPath(temporaryPath()), fsPath(target), error);
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
    QFile::setPermissions(temporaryPath(), kSavedDocumentPermissions);
    for (int n = 1; n <= kMaxNumberedNames; ++n) {
        const QString candidate =
            n == 1 ? target : QDir(m_folder).filePath(NumberedFileName(m_fileName, n));
        if (QFile::exists(candidate))
            continue;
        QFile file(temporaryPath());
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
