#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class Dialogs;
class DocumentList;
class GeneratePage;

inline const QString kAlreadyPdfMessage =
    QStringLiteral("The file you wish to add is already a PDF!  Cannot add this file.");
inline const QString kSelectItemMessage = QStringLiteral("Please select an item!");
// A path given that cannot be added at all: the path and why.
inline const QString kCannotAddMessage = QStringLiteral("Cannot add %1: %2.");
// The files of a folder that were refused, counted in one message instead of one box each.
inline const QString kFolderRefusedMessage =
    QStringLiteral("Some files of the folder %1 were not added: %2.");

// Add File (one or several files at a time), Remove File and Clear List, with the page states
// that follow the document count.
class DocumentCommands
{
public:
    DocumentCommands(DocumentList& list, Dialogs& dialogs, GeneratePage& page);

    // Asks for files and adds them as addPaths does.
    void addFile();
    // Adds each path (the system's bytes: a name need not be text) in turn, with Add File's
    // checks and messages for each file. A folder adds the plain files at its top level, hidden
    // ones, links and subfolders aside; its refused files are counted in one message. A path
    // that does not exist or cannot be read is named with the reason, and the others still join.
    void addPaths(const QList<QByteArray>& paths);
    // The same for paths as text, as a file dialog gives them.
    void addFiles(const QStringList& paths);
    void remove();
    void clear();
    // Gives the page's controls the states the number of documents calls for (the list was
    // refilled or emptied by someone else: a bulk conversion).
    void showCount();

    // True when a row has exactly this path; the user is told so.
    bool CheckForDuplicate(const QString& fullPath);

private:
    enum class Refusal
    {
        None,
        Listed,
        Pdf,
    };

    // Why Add File refuses this document, if it does: a row has exactly this path, or it is a
    // PDF.
    Refusal refusalOf(const QString& fullPath) const;
    // The number of documents the path added.
    int addPath(const QByteArray& native);
    int addFolder(const QString& folder, const QByteArray& native);
    // Adds one chosen file, `fullPath` as TextOfFileName shows it, unless it is refused (the
    // user is told why); true when added.
    bool addOne(const QString& fullPath, const QByteArray& native);

    DocumentList& m_list;
    Dialogs& m_dialogs;
    GeneratePage& m_page;
    QString m_lastFolder; // of the last document added; the next Add File opens there
};
