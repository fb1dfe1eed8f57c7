// The Bulk Conversion page's folder commands, the batch run's list and the log viewer.
#include "batch/BatchRun.h"
#include "batch/FolderCommands.h"
#include "batch/FolderEdits.h"
#include "batch/LogViewer.h"
#include "common/Desktop.h"
#include "common/ProgramState.h"
#include "conversion/ConversionRun.h"
#include "doclist/DocumentList.h"
#include "platform/files/FolderRunLock.h"
#include "tests/support/FakeApplication.h"
#include "tests/support/ScriptedDialogs.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>
#include <gtest/gtest.h>

namespace {

class FakeEdits final : public FolderEdits
{
public:
    QString startFolderText() const override { return start; }
    QString destinationFolderText() const override { return destination; }
    void setStartFolderText(const QString& t) override { start = t; }
    void setDestinationFolderText(const QString& t) override { destination = t; }
    void setScheduleEnabled(bool e) override { scheduleEnabled = e; }

    QString start;
    QString destination;
    bool scheduleEnabled = true;
};

class FakeDesktop final : public Desktop
{
public:
    bool openFile(const QString& path) override
    {
        opened.append(path);
        return canOpen;
    }
    bool openUrl(const QString& address) override
    {
        opened.append(address);
        return true;
    }
    QStringList opened;
    bool canOpen = true;
};

void touch(const QString& path)
{
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write("x");
}

TEST(FolderCommandsTest, BrowsingSetsOnlyItsOwnFolderWithTheSameInstruction)
{
    ProgramState state{false, "/old/start", "/old/dest"};
    FakeEdits edits;
    ScriptedDialogs dialogs;
    FolderCommands commands(state, edits, dialogs);
    dialogs.folderAnswers.enqueue(QString("/new/dest"));
    commands.PNGDestClick();
    EXPECT_EQ(edits.destination, "/new/dest");
    EXPECT_EQ(state.DestinationFolder, "/new/dest");
    EXPECT_EQ(state.StartFolder, "/old/start");
    EXPECT_TRUE(edits.start.isEmpty());

    dialogs.folderAnswers.enqueue(QString("/"));
    commands.PNGBrowseStartClick();
    EXPECT_EQ(state.StartFolder, "/"); // a root keeps its separator
    EXPECT_EQ(dialogs.folderRequests,
              (QStringList{"Select original Folder", "Select original Folder"}));
}

TEST(FolderCommandsTest, CancelChangesNothingAndAnEmptyChoiceDisablesSchedule)
{
    ProgramState state{false, "/keep", "/keep2"};
    FakeEdits edits;
    ScriptedDialogs dialogs;
    FolderCommands commands(state, edits, dialogs);
    commands.PNGBrowseStartClick(); // cancelled
    EXPECT_EQ(state.StartFolder, "/keep");
    EXPECT_TRUE(dialogs.shown.isEmpty());
    EXPECT_TRUE(edits.scheduleEnabled);

    dialogs.folderAnswers.enqueue(QString());
    commands.PNGBrowseStartClick();
    EXPECT_EQ(dialogs.texts(), QStringList{kNoFolderMessage});
    EXPECT_FALSE(edits.scheduleEnabled);
    EXPECT_EQ(state.StartFolder, "/keep");

    dialogs.folderAnswers.enqueue(QString("/again"));
    commands.PNGDestClick();
    EXPECT_TRUE(edits.scheduleEnabled);
}

struct BatchHarness
{
    BatchHarness()
    {
        edits.start = in.path();
        edits.destination = out.path();
        state.BatchMode = true;
    }
    BatchEnd run() { return batch.RunBatchConversion(); }

    QTemporaryDir in;
    QTemporaryDir out;
    FakeEdits edits;
    ProgramState state;
    DocumentList list;
    FakeApplication application;
    ScriptedDialogs dialogs;
    int conversions = 0;
    QStringList listed;
    std::function<void()> duringConversion;
    BatchRun batch{list, state, edits, application, dialogs, kFolderRunLocks, [this] {
                       ++conversions;
                       for (int row = 0; row < list.DocumentCount(); ++row)
                           listed.append(list.name(row));
                       if (duringConversion)
                           duringConversion();
                       return RunEnd::Finished;
                   }};
};

TEST(BatchRunTest, ListsEveryFileOfTheStartingFolderButNoSubfolder)
{
    BatchHarness h;
    touch(h.in.filePath("b.xls"));
    touch(h.in.filePath("a.doc"));
    touch(h.in.filePath(".hidden.xml"));
    touch(h.in.filePath("old.pdf"));
    QDir(h.in.path()).mkdir("sub");
    touch(h.in.filePath("sub/c.doc"));
    h.list.FillGrid("stale.doc", "/elsewhere/stale.doc");

    EXPECT_EQ(h.run(), BatchEnd::Finished);
    EXPECT_EQ(h.conversions, 1);
    QStringList sorted = h.listed;
    EXPECT_EQ(sorted.size(), 4);
    EXPECT_TRUE(sorted.contains(".hidden.xml"));
    EXPECT_TRUE(sorted.contains("old.pdf"));
    EXPECT_FALSE(sorted.contains("stale.doc"));
    EXPECT_FALSE(sorted.contains("c.doc"));
    EXPECT_EQ(h.list.path(h.list.findPath(h.in.filePath("a.doc"))), h.in.path() + "/a.doc");
    EXPECT_EQ(h.state.StartFolder, h.in.path());
    EXPECT_EQ(h.state.DestinationFolder, h.out.path());
    EXPECT_FALSE(h.state.BatchMode);
    EXPECT_EQ(h.application.messagePumps, 1);
}

TEST(BatchRunTest, BlanksAroundTheStartingFolderAreNotPartOfIt)
{
    BatchHarness h;
    touch(h.in.filePath("a.doc"));
    h.edits.start = " " + h.in.path() + " \t";
    EXPECT_EQ(h.run(), BatchEnd::Finished);
    EXPECT_EQ(h.listed, QStringList{"a.doc"});
    EXPECT_EQ(h.list.path(0), h.in.filePath("a.doc"));
}

TEST(BatchRunTest, FolderTextsOfTwoCharactersOrFewerStopSilently)
{
    BatchHarness h;
    h.edits.start = "C:";
    EXPECT_EQ(h.run(), BatchEnd::FoldersTooShort);
    h.edits.start = h.in.path();
    h.edits.destination = "/o";
    EXPECT_EQ(h.run(), BatchEnd::FoldersTooShort);
    EXPECT_EQ(h.conversions, 0);
    EXPECT_TRUE(h.state.BatchMode); // kept as the caller set it
}

TEST(BatchRunTest, WithoutBatchModeTheListIsEmptiedAndNothingConverted)
{
    BatchHarness h;
    h.state.BatchMode = false;
    h.list.FillGrid("x.doc", "/x.doc");
    EXPECT_EQ(h.run(), BatchEnd::NotBatchMode);
    EXPECT_EQ(h.list.DocumentCount(), 0);
    EXPECT_EQ(h.conversions, 0);
}

TEST(BatchRunTest, AnEmptyOrMissingFolderStillRunsTheConversionButSaysSo)
{
    BatchHarness h;
    EXPECT_EQ(h.run(), BatchEnd::EmptyFolder);
    EXPECT_EQ(h.conversions, 1);
    h.state.BatchMode = true;
    h.edits.start = h.in.filePath("missing");
    EXPECT_EQ(h.run(), BatchEnd::EmptyFolder);
}

TEST(BatchRunTest, ASecondRunOfTheSameFolderEndsAtOnceAndSaysWhy)
{
    BatchHarness first;
    touch(first.in.filePath("a.doc"));
    BatchHarness second;
    second.edits.start = first.in.path() + "/"; // the same folder, spelled otherwise
    second.list.FillGrid("mine.doc", "/mine.doc");
    first.duringConversion = [&] { EXPECT_EQ(second.run(), BatchEnd::AlreadyRunning); };
    EXPECT_EQ(first.run(), BatchEnd::Finished);

    EXPECT_EQ(second.conversions, 0);
    EXPECT_EQ(second.list.DocumentCount(), 1) << "its list is left as it was";
    ASSERT_EQ(second.dialogs.shown.size(), 1);
    EXPECT_TRUE(second.dialogs.shown[0].text.contains("already running"));
    // Once the first has ended, the folder is free again.
    EXPECT_EQ(second.run(), BatchEnd::Finished);
}

TEST(BatchRunTest, ANameThatIsNotTextIsListedEscapedAndStillFindsItsFile)
{
    BatchHarness h;
    const QByteArray native = QFile::encodeName(h.in.path()) + "/caf\xe9.txt";
    {
        std::FILE* raw = std::fopen(native.constData(), "wb");
        ASSERT_NE(raw, nullptr);
        std::fwrite(QByteArray(2500, 'x').constData(), 1, 2500, raw);
        std::fclose(raw);
    }
    EXPECT_EQ(h.run(), BatchEnd::Finished);
    ASSERT_EQ(h.listed, QStringList{"caf\\xE9.txt"});
    EXPECT_EQ(h.list.path(0), h.in.path() + "/caf\\xE9.txt");
    EXPECT_EQ(h.list.nativePath(0), native);
    EXPECT_EQ(h.list.sizeText(0), "2");
}

TEST(LogViewerTest, OpensTheStartingFoldersLogOrSaysThereIsNone)
{
    QTemporaryDir dir;
    QDir(dir.path()).mkdir("with blanks");
    const QString folder = dir.filePath("with blanks");
    FakeDesktop desktop;
    ScriptedDialogs dialogs;
    ViewBatchLog(folder, desktop, dialogs);
    EXPECT_EQ(dialogs.texts(), QStringList{"Log file not found.  Batch job not started yet."});

    touch(folder + "/Corvanta_Batch.txt");
    QFile::setPermissions(folder + "/Corvanta_Batch.txt", QFileDevice::ReadOwner);
    ViewBatchLog(folder + "/", desktop, dialogs);
    EXPECT_EQ(desktop.opened, QStringList{folder + "/Corvanta_Batch.txt"});
    EXPECT_EQ(dialogs.shown.size(), 1);

    desktop.canOpen = false; // no editor is set up for text
    ViewBatchLog(folder, desktop, dialogs);
    EXPECT_EQ(dialogs.texts().last(), kNoLogViewerMessage.arg(folder + "/Corvanta_Batch.txt"));
}

TEST(FolderCommandsTest, TheBrowserOpensAtTheFolderTypedInItsOwnBox)
{
    ProgramState state{false, "/stored/start", "/stored/dest"};
    FakeEdits edits;
    edits.start = " /typed/start ";
    edits.destination = "/typed/dest";
    ScriptedDialogs dialogs;
    FolderCommands commands(state, edits, dialogs);
    commands.PNGBrowseStartClick();
    commands.PNGDestClick();
    EXPECT_EQ(dialogs.folderStarts, (QStringList{"/typed/start", "/typed/dest"}));
}

} // namespace
