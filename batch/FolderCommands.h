#pragma once

#include <QString>
#include <optional>

class Dialogs;
class FolderEdits;
struct ProgramState;

inline const QString kBrowseInstruction = QStringLiteral("Select original Folder");
inline const QString kNoFolderMessage =
    QStringLiteral("New folder not specified.  Default folder maintained.");

// The browse buttons of the Bulk Conversion page.
class FolderCommands
{
public:
    FolderCommands(ProgramState& state, FolderEdits& edits, Dialogs& dialogs);

    void PNGBrowseStartClick();
    void PNGDestClick();

    struct Browsed
    {
        bool accepted = false;
        QString path;
    };
    // The folder browser opened at `startFolder` (the dialog's own fallback when that is no
    // existing folder).
    Browsed BrowseForFolder(const QString& title, const QString& startFolder = {});

private:
    // Answers the folder to take, or nothing when the user cancelled or chose none. The browser
    // opens at the folder already typed in the box being chosen for (blanks
    // around it are no part of it, as for the batch run).
    std::optional<QString> browse(const QString& typedFolder);

    ProgramState& m_state;
    FolderEdits& m_edits;
    Dialogs& m_dialogs;
};
