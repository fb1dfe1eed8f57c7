#include "batch/FolderSettings.h"

#include "batch/FolderEdits.h"
#include "batch/cRegistry.h"
#include "common/ProgramState.h"

FolderSettings::FolderSettings(ISettingsStore& store, ProgramState& state, FolderEdits& edits)
    : m_store(store), m_state(state), m_edits(edits)
{
}

void FolderSettings::LoadFolderSettings()
{
    m_state.StartFolder = ReadRegistryValue(m_store, kProgramKey, kStartFolderValue).toString();
    m_state.DestinationFolder =
        ReadRegistryValue(m_store, kProgramKey, kDestinationFolderValue).toString();
    m_edits.setStartFolderText(m_state.StartFolder);
    m_edits.setDestinationFolderText(m_state.DestinationFolder);
}

void FolderSettings::SaveFolderSettings()
{
    const QString start = m_edits.startFolderText();
    const QString destination = m_edits.destinationFolderText();
    if (start.size() <= 2 || destination.size() <= 2)
        return;
    WriteRegistryValue(m_store, kProgramKey, kStartFolderValue, kRegistryString, start);
    WriteRegistryValue(m_store, kProgramKey, kDestinationFolderValue, kRegistryString, destination);
}
