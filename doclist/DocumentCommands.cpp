#include "doclist/DocumentCommands.h"

#include "common/Dialogs.h"
#include "common/NativeNames.h"
#include "common/PathHelpers.h"
#include "doclist/DocumentList.h"
#include "doclist/GeneratePage.h"

#include <QFile>
#include <QFileInfo>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace {

QString reasonText(const std::error_code& error)
{
    if (error == std::errc::no_such_file_or_directory)
        return QStringLiteral("it does not exist");
    if (error == std::errc::permission_denied || error == std::errc::operation_not_permitted)
        return QStringLiteral("it may not be read");
    return QString::fromLocal8Bit(error.message());
}

QString counted(int count, const char* one, const char* several)
{
    return count == 1 ? QString::fromLatin1(one) : QString::fromLatin1(several).arg(count);
}

} // namespace

DocumentCommands::DocumentCommands(DocumentList& list, Dialogs& dialogs, GeneratePage& page)
    : m_list(list), m_dialogs(dialogs), m_page(page)
{
}

bool DocumentCommands::CheckForDuplicate(const QString& fullPath)
{
    if (m_list.findPath(fullPath) < 0)
        return false;
    m_dialogs.message(QStringLiteral("File ") + fullPath + QStringLiteral(" already exists"));
    return true;
}

DocumentCommands::Refusal DocumentCommands::refusalOf(const QString& fullPath) const
{
    if (m_list.findPath(fullPath) >= 0)
        return Refusal::Listed;
    // Only the last three characters count: "mypdf" is refused like "report.pdf".
    if (fullPath.right(3).toUpper() == QLatin1String("PDF"))
        return Refusal::Pdf;
    return Refusal::None;
}

bool DocumentCommands::addOne(const QString& fullPath, const QByteArray& native)
{
    const QString name = fullPath.mid(fullPath.lastIndexOf(PathSeparator()) + 1);
    if (CheckForDuplicate(fullPath))
        return false;
    if (refusalOf(fullPath) == Refusal::Pdf) {
        m_dialogs.message(kAlreadyPdfMessage);
        return false;
    }
    m_list.FillGrid(name, fullPath, QFile::encodeName(fullPath) == native ? QByteArray() : native);
    m_lastFolder = QFileInfo(fullPath).path();
    return true;
}

// A link given by name is taken as what it names, as a file dialog takes it; a link inside a
// folder is not followed.
int DocumentCommands::addPath(const QByteArray& native)
{
    // A name with a line break, another control character or bytes that are not text is shown
    // and listed escaped, so it cannot forge a line in a message or a log; its own bytes still
    // find the file.
    const QString path = TextOfFileName(native);
    std::error_code error;
    const auto status = std::filesystem::status(native.toStdString(), error);
    QString reason;
    if (error)
        reason = reasonText(error);
    else if (std::filesystem::is_directory(status))
        return addFolder(path, native);
    else if (!std::filesystem::is_regular_file(status))
        reason = QStringLiteral("it is neither a file nor a folder");
    else if (!std::ifstream(native.toStdString()).is_open())
        reason = reasonText(std::make_error_code(std::errc::permission_denied));
    if (!reason.isEmpty()) {
        m_dialogs.message(kCannotAddMessage.arg(path, reason), Dialogs::Icon::Warning);
        return 0;
    }
    return addOne(path, native) ? 1 : 0;
}

// Names are taken as the file system's bytes, as the bulk conversion takes them. The folder's
// files go into the list in one piece, sorted once, so a folder of thousands is listed at once.
int DocumentCommands::addFolder(const QString& folder, const QByteArray& native)
{
    QList<DocumentList::NewDocument> found;
    int listed = 0;
    int pdfs = 0;
    std::error_code error;
    std::filesystem::directory_iterator entries(native.toStdString(), error);
    for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
        const std::filesystem::path& entry = entries->path();
        std::error_code kindError;
        if (entry.filename().native().starts_with('.') ||
            entries->symlink_status(kindError).type() != std::filesystem::file_type::regular)
            continue;
        const QByteArray entryNative = QByteArray::fromStdString(entry.native());
        bool exact = true;
        const QString fullPath = TextOfFileName(entryNative, &exact);
        switch (refusalOf(fullPath)) {
        case Refusal::Listed:
            ++listed;
            break;
        case Refusal::Pdf:
            ++pdfs;
            break;
        case Refusal::None:
            found.append({fullPath.mid(fullPath.lastIndexOf(PathSeparator()) + 1), fullPath,
                          exact ? QByteArray() : entryNative});
            break;
        }
    }
    // The rows first: the messages then read over what did join.
    const int added = static_cast<int>(found.size());
    m_list.addDocuments(std::move(found));
    if (added > 0)
        m_lastFolder = folder;
    // A folder that cannot be listed, or not to its end: what was listed still joins.
    if (error)
        m_dialogs.message(kCannotAddMessage.arg(folder, reasonText(error)), Dialogs::Icon::Warning);
    QStringList refused;
    if (listed > 0)
        refused.append(counted(listed, "1 already in the list", "%1 already in the list"));
    if (pdfs > 0)
        refused.append(counted(pdfs, "1 already a PDF", "%1 already PDFs"));
    if (!refused.isEmpty())
        m_dialogs.message(kFolderRefusedMessage.arg(folder, refused.join(" and ")));
    return added;
}

void DocumentCommands::addFile()
{
    Dialogs::FileRequest request;
    request.several = true;
    request.folder = m_lastFolder;
    addFiles(m_dialogs.chooseFiles(request));
}

void DocumentCommands::addFiles(const QStringList& paths)
{
    QList<QByteArray> native;
    for (const QString& path : paths)
        native.append(QFile::encodeName(path));
    addPaths(native);
}

void DocumentCommands::addPaths(const QList<QByteArray>& paths)
{
    // Each path on its own: a refused one is named and skipped, the others are still added.
    int added = 0;
    for (const QByteArray& path : paths) {
        if (!path.isEmpty())
            added += addPath(path);
    }
    if (added > 0)
        showCount();
}

void DocumentCommands::showCount()
{
    const int count = m_list.DocumentCount();
    if (count >= 2) {
        m_page.setCombineEnabled(true);
    } else {
        m_page.setCombineChecked(false);
        m_page.setCombineEnabled(false);
        m_page.setSeparateChecked(true);
    }
    m_page.setGenerateEnabled(count > 0);
}

void DocumentCommands::remove()
{
    const int row = m_page.selectedRow();
    if (row < 0 || row >= m_list.DocumentCount()) {
        m_dialogs.message(kSelectItemMessage);
    } else {
        m_list.removeDocument(row);
        m_page.clearPreview();
    }
    if (m_list.DocumentCount() >= 2) {
        m_page.setCombineEnabled(true);
        m_page.setGenerateEnabled(true);
    }
}

void DocumentCommands::clear()
{
    if (m_list.DocumentCount() > 0)
        m_list.clear();
    showCount();
}
