#pragma once

#include <QString>

class FolderEdits;
class ISettingsStore;
struct ProgramState;

inline const QString kProgramKey = QStringLiteral("\\Software\\Corvanta\\Program");
inline const QString kStartFolderValue = QStringLiteral("ConvertStartFolder");
inline const QString kDestinationFolderValue = QStringLiteral("ConvertDestinationFolder");

// The two folders of the bulk conversion, kept between runs.
class FolderSettings
{
public:
    FolderSettings(ISettingsStore& store, ProgramState& state, FolderEdits& edits);

    // Reads both folders into the program's state and the page's boxes. Throws RegistryError
    // when the key exists but a value cannot be read; nothing stored is no error.
    void LoadFolderSettings();
    // Stores the two boxes' texts when both hold more than two characters; otherwise nothing.
    // Throws RegistryError when the store cannot be written.
    void SaveFolderSettings();

private:
    ISettingsStore& m_store;
    ProgramState& m_state;
    FolderEdits& m_edits;
};
