#include "batch/FolderCommands.h"

#include "batch/FolderEdits.h"
#include "common/Dialogs.h"
#include "common/ProgramState.h"

#include <QDir>

FolderCommands::FolderCommands(ProgramState& state, FolderEdits& edits, Dialogs& dialogs)
    : m_state(state), m_edits(edits), m_dialogs(dialogs)
{
}

FolderCommands::Browsed FolderCommands::BrowseForFolder(const QString& title,
                                                        const QString& startFolder)
{
    const std::optional<QString> chosen = m_dialogs.browseFolder(title, startFolder);
    if (!chosen)
        return {};
    return {true, QDir::toNativeSeparators(*chosen)};
}

std::optional<QString> FolderCommands::browse(const QString& typedFolder)
{
    const Browsed browsed = BrowseForFolder(kBrowseInstruction, typedFolder);
    if (!browsed.accepted)
        return std::nullopt;
    if (browsed.path.isEmpty()) {
        m_dialogs.message(kNoFolderMessage);
        m_edits.setScheduleEnabled(false);
        return std::nullopt;
    }
    m_edits.setScheduleEnabled(true);
    return browsed.path;
}

void FolderCommands::PNGBrowseStartClick()
{
    if (const auto folder = browse(m_edits.startFolderText().trimmed())) {
        m_edits.setStartFolderText(*folder);
        m_state.StartFolder = *folder;
    }
}

void FolderCommands::PNGDestClick()
{
    if (const auto folder = browse(m_edits.destinationFolderText().trimmed())) {
        m_edits.setDestinationFolderText(*folder);
        m_state.DestinationFolder = *folder;
    }
}
