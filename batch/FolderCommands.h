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
    Browsed BrowseForFolder(const QString& title);

private:
    // Answers the folder to take, or nothing when the user cancelled or chose none.
    std::optional<QString> browse();

    ProgramState& m_state;
    FolderEdits& m_edits;
    Dialogs& m_dialogs;
};
