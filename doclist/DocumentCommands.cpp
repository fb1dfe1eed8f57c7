#include "doclist/DocumentCommands.h"

#include "app/NativeNames.h"
#include "app/PathHelpers.h"
#include "doclist/DocumentList.h"
#include "doclist/GeneratePage.h"
#include "platform/dialogs/Dialogs.h"

#include <QFile>
#include <QFileInfo>

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

bool DocumentCommands::addOne(const QString& chosenPath)
{
    // A name with a line break or another control character is listed escaped, so it cannot
    // forge a line in a message or a log; its own bytes still find the file.
    const QString fullPath = EscapeControlCharacters(chosenPath);
    const QString name = fullPath.mid(fullPath.lastIndexOf(PathSeparator()) + 1);
    if (CheckForDuplicate(fullPath))
        return false;
    // Only the last three characters count: "mypdf" is refused like "report.pdf".
    if (fullPath.right(3).toUpper() == QLatin1String("PDF")) {
        m_dialogs.message(kAlreadyPdfMessage);
        return false;
    }
    m_list.FillGrid(name, fullPath,
                    fullPath == chosenPath ? QByteArray() : QFile::encodeName(chosenPath));
    m_lastFolder = QFileInfo(chosenPath).path();
    return true;
}

void DocumentCommands::addFile()
{
    Dialogs::FileRequest request;
    request.several = true;
    request.folder = m_lastFolder;
    // Each file on its own: a refused one is named and skipped, the others are still added.
    int added = 0;
    for (const QString& fullPath : m_dialogs.chooseFiles(request)) {
        if (!fullPath.isEmpty() && addOne(fullPath))
            ++added;
    }
    if (added == 0)
        return;
    if (m_list.DocumentCount() >= 2) {
        m_page.setCombineEnabled(true);
    } else {
        m_page.setCombineChecked(false);
        m_page.setCombineEnabled(false);
        m_page.setSeparateChecked(true);
    }
    m_page.setGenerateEnabled(true);
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
    m_page.setGenerateEnabled(false);
    m_page.setSeparateChecked(true);
    m_page.setCombineChecked(false);
    m_page.setCombineEnabled(false);
}
