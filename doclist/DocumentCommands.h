#pragma once

#include <QString>

class Dialogs;
class DocumentList;
class GeneratePage;

inline const QString kAlreadyPdfMessage =
    QStringLiteral("The file you wish to add is already a PDF!  Cannot add this file.");
inline const QString kSelectItemMessage = QStringLiteral("Please select an item!");

// Add File (one or several files at a time), Remove File and Clear List, with the page states
// that follow the document count.
class DocumentCommands
{
public:
    DocumentCommands(DocumentList& list, Dialogs& dialogs, GeneratePage& page);

    void addFile();
    void remove();
    void clear();

    // True when a row has exactly this path; the user is told so.
    bool CheckForDuplicate(const QString& fullPath);

private:
    // Adds one chosen file unless it is refused (the user is told why); true when added.
    bool addOne(const QString& fullPath);

    DocumentList& m_list;
    Dialogs& m_dialogs;
    GeneratePage& m_page;
    QString m_lastFolder; // of the last document added; the next Add File opens there
};
