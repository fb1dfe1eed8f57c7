#include "batch/FolderSettings.h"
#include "batch/FolderEdits.h"
#include "batch/cRegistry.h"
#include "common/ProgramState.h"
#include "platform/settings/FileSettingsStore.h"
#include "tests/support/FakeSchedulePage.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Folders
{
    void load() { FolderSettings(store, state, edits).LoadFolderSettings(); }
    void save() { FolderSettings(store, state, edits).SaveFolderSettings(); }

    QTemporaryDir dir;
    FileSettingsStore store{dir.filePath("settings.ini")};
    ProgramState state;
    FakeSchedulePage edits; // the page's folder edits
};

TEST(FolderSettingsTest, AFirstStartHasEmptyFolders)
{
    Folders f;
    f.edits.start = "typed";
    f.load();
    EXPECT_TRUE(f.state.StartFolder.isEmpty());
    EXPECT_TRUE(f.edits.start.isEmpty());
    EXPECT_TRUE(f.edits.destination.isEmpty());
}

TEST(FolderSettingsTest, SavedFoldersComeBackAtTheNextStart)
{
    Folders first;
    first.edits.start = "/data/in box";
    first.edits.destination = "/data/out";
    first.save();

    Folders next;
    next.store = FileSettingsStore(first.store.fileName());
    next.load();
    EXPECT_EQ(next.state.StartFolder, "/data/in box");
    EXPECT_EQ(next.state.DestinationFolder, "/data/out");
    EXPECT_EQ(next.edits.start, "/data/in box");
}

TEST(FolderSettingsTest, FoldersOfTwoCharactersOrFewerAreNotStoredAndTheOldOnesStay)
{
    Folders f;
    f.edits.start = "/in";
    f.edits.destination = "/out";
    f.save();
    f.edits.start = "C:";
    f.edits.destination = "/elsewhere";
    f.save();
    f.edits = {};
    f.load();
    EXPECT_EQ(f.state.StartFolder, "/in");
    EXPECT_EQ(f.state.DestinationFolder, "/out");
}

TEST(FolderSettingsTest, AMissingValueUnderAnExistingKeyIsAReadError)
{
    Folders f;
    WriteRegistryValue(f.store, kProgramKey, kStartFolderValue, kRegistryString, "/in");
    try {
        f.load();
        FAIL() << "no error";
    } catch (const RegistryError& error) {
        EXPECT_EQ(error.message(), "The configuration registry key could not be read.");
    }
}

} // namespace
