// Start-up, close and the window's message handling, against a recording PDF printer.
#include "app/MainForm.h"
#include "common/Desktop.h"
#include "common/PathHelpers.h"
#include "conversion/DocumentRenderer.h"
#include "helpviewer/HelpEngine.h"
#include "platform/com/ComApartment.h"
#include "platform/messages/WindowMessages.h"
#include "platform/pdftk/PdftkToolkit.h"
#include "platform/process/QtProcessLauncher.h"
#include "platform/scheduler/AtScheduler.h"
#include "platform/scheduler/PosixAccount.h"
#include "platform/settings/FileSettingsStore.h"
#include "tests/app/WindowStart.h"
#include "tests/support/FakeApplication.h"
#include "tests/support/FakeClock.h"
#include "tests/support/FakePdfPrinter.h"
#include "tests/support/ListedNames.h"
#include "tests/support/ScriptedDialogs.h"
#include "ui/ImageButton.h"
#include "ui/LinkLabel.h"
#include "ui_MainForm.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

TEST(StartUpTest, CreatesThePrinterWithItsProfileAndShowsNothing)
{
    Start s;
    EXPECT_TRUE(s.dialogs.shown.isEmpty());
    EXPECT_EQ(s.printer->calls, (QStringList{"InitializeOptions Corvanta Corvanta",
                                             "CreateProfile Corvanta Profile"}));
    EXPECT_EQ(s.window->HelpFileName(), ProgramFolder() + "CORVANTA PDF HELP.CHM");
    EXPECT_EQ(s.help.calls.first(), "hook " + s.window->HelpFileName());
    EXPECT_EQ(s.window->FileSavedMessage(), RegisterWindowMessage("PDFPRINTER_FILESAVED"));
    EXPECT_EQ(s.window->PrintErrorMessage(), RegisterWindowMessage("PDFPRINTER_PRINTERROR"));
    EXPECT_NE(s.window->FileSavedMessage(), s.window->PrintErrorMessage());
    EXPECT_FALSE(s.program->state().BatchMode);
    EXPECT_FALSE(s.program->lastBatchEnd().has_value());
}

TEST(StartUpTest, SetsTheBulkConversionPageFromTheClockAndTheFirstStart)
{
    Start s;
    Ui::frmMain& ui = s.window->form();
    EXPECT_TRUE(ui.rdoNow->isChecked());
    EXPECT_EQ(ui.DTDate->date(), s.clock.moment.date());
    EXPECT_EQ(ui.DTDate->displayFormat(), QLocale().dateFormat(QLocale::LongFormat));
    EXPECT_EQ(ui.DTTime->time(), s.clock.moment.time());
    EXPECT_TRUE(ui.txtStartFolder->text().isEmpty());
    EXPECT_TRUE(ui.txtDestinationFolder->text().isEmpty());
}

TEST(StartUpTest, APrinterThatCannotBeCreatedGivesOneWarningAndNoBatchRun)
{
    Start s({"-BATCH"}, Driver::CannotCreate);
    ASSERT_EQ(s.dialogs.shown.size(), 1);
    EXPECT_EQ(s.dialogs.shown[0].text, "Failed to create PDF COM object");
    EXPECT_EQ(s.dialogs.shown[0].icon, Dialogs::Icon::Warning);
    EXPECT_FALSE(s.program->lastBatchEnd().has_value());
    EXPECT_FALSE(s.application.isTerminated);
}

TEST(StartUpTest, WithoutAPrinterGeneratePdfSaysSoAndConvertsNothing)
{
    QTemporaryDir in;
    QFile doc(in.filePath("a.xml"));
    ASSERT_TRUE(doc.open(QIODevice::WriteOnly));
    doc.write("<a/>\n");
    doc.close();
    Start s({}, Driver::CannotCreate);
    s.window->addDocuments({QFile::encodeName(in.filePath("a.xml"))});
    s.window->form().PNGCreatePDF->click();
    EXPECT_EQ(s.dialogs.texts(), QStringList(2, "Failed to create PDF COM object"));
    EXPECT_EQ(s.program->documents().status(0), "Wating");
}

TEST(StartUpTest, APrinterThatCannotInitialiseCreatesNoProfile)
{
    Start s({"-BATCH"}, Driver::CannotInitialize);
    EXPECT_EQ(s.dialogs.texts(), QStringList{"Failed to initialize PdfPrinterOptions"});
    EXPECT_TRUE(s.printer->callsStartingWith("CreateProfile").isEmpty());
    EXPECT_FALSE(s.program->lastBatchEnd().has_value());
}

TEST(StartUpTest, AComFailureIsReportedWithBothSystemTextsAndStartUpGoesOn)
{
    Start s({}, Driver::Works, -2147418113);
    EXPECT_EQ(s.dialogs.texts(),
              QStringList{"Failed to initialize COM\rCatastrophic failure\rAccess is denied."});
    EXPECT_EQ(s.printer->callsStartingWith("CreateProfile").size(), 1);
}

TEST(StartUpTest, TheBatchSwitchCountsInAnyLetterCaseAsFirstArgumentOnly)
{
    for (const char* arg : {"-BATCH", "-batch", "-Batch"}) {
        Start s({arg});
        // No stored folders: the batch run starts and stops at once.
        ASSERT_TRUE(s.program->lastBatchEnd().has_value()) << arg;
        EXPECT_EQ(*s.program->lastBatchEnd(), BatchEnd::FoldersTooShort);
        EXPECT_TRUE(s.program->state().BatchMode) << "kept as the caller set it";
    }
    for (QStringList args :
         {QStringList{"/BATCH"}, QStringList{"BATCH"}, QStringList{"x", "-BATCH"}, QStringList{}}) {
        Start s(args);
        EXPECT_FALSE(s.program->lastBatchEnd().has_value()) << args.join(' ').toStdString();
    }
}

void writeXml(const QString& path)
{
    QFile doc(path);
    ASSERT_TRUE(doc.open(QIODevice::WriteOnly)) << path.toStdString();
    doc.write("<a/>\n");
}

TEST(StartUpTest, FilesOnTheCommandLineJoinOnceTheWindowIsUpRefusedAsAddFileRefusesThem)
{
    QTemporaryDir in;
    writeXml(in.filePath("a.xml"));
    writeXml(in.filePath("r.pdf"));
    Start s({in.filePath("a.xml"), in.filePath("a.xml"), in.filePath("r.pdf")});
    EXPECT_EQ(s.program->documents().DocumentCount(), 0);
    QApplication::processEvents();
    EXPECT_EQ(ListedNames(s.program->documents()), QStringList{"a.xml"});
    EXPECT_EQ(s.dialogs.texts(), (QStringList{"File " + in.filePath("a.xml") + " already exists",
                                              kAlreadyPdfMessage}));
}

// Sets the settings file of the starts made while it lives.
struct StoredSettings
{
    explicit StoredSettings(const QByteArray& text) { g_storedSettings = text; }
    ~StoredSettings() { g_storedSettings.clear(); }
};

TEST(StartUpTest, ShowsTheStoredFolders)
{
    StoredSettings stored("[Software\\Corvanta\\Program]\n"
                          "ConvertStartFolder=string:/srv/in\n"
                          "ConvertDestinationFolder=string:/srv/out dir\n");
    Start s;
    EXPECT_EQ(s.window->form().txtStartFolder->text(), "/srv/in");
    EXPECT_EQ(s.window->form().txtDestinationFolder->text(), "/srv/out dir");
    EXPECT_EQ(s.program->state().StartFolder, "/srv/in");
    EXPECT_TRUE(s.dialogs.shown.isEmpty());
}

TEST(StartUpTest, AStoreThatCannotBeReadIsReportedAndStartUpGoesOn)
{
    for (const QByteArray& text :
         {QByteArray("[Software\\Corvanta\\Program]\nConvertStartFolder=string:/srv/in\n"),
          QByteArray("[Software\\Corvanta\\Program]\nConvertStartFolder=integer:\n"),
          QByteArray("this is not a settings file\n[[[\n")}) {
        StoredSettings stored(text);
        Start s({"-BATCH"});
        // The system's text, then where the store is and which line is wrong.
        ASSERT_EQ(s.dialogs.texts().size(), 1) << text.toStdString();
        const QStringList lines = s.dialogs.texts().first().split('\n');
        EXPECT_EQ(lines.first(), "The configuration registry key could not be read.");
        EXPECT_TRUE(lines.value(1).contains("settings.ini")) << lines.value(1).toStdString();
        EXPECT_TRUE(lines.value(1).contains("line ") || lines.value(1).contains("no value"));
        EXPECT_TRUE(s.window->form().txtStartFolder->text().isEmpty());
        EXPECT_TRUE(s.program->state().StartFolder.isEmpty());
        EXPECT_EQ(s.printer->callsStartingWith("CreateProfile").size(), 1);
        EXPECT_EQ(s.program->lastBatchEnd(), BatchEnd::FoldersTooShort);
    }
}

TEST(StartUpTest, AnExactBatchSwitchConvertsTheStoredFoldersAndEndsTheProgram)
{
    QTemporaryDir in;
    QTemporaryDir out;
    writeXml(in.filePath("a.xml"));
    StoredSettings stored(
        "[Software\\Corvanta\\Program]\nConvertStartFolder=string:" + in.path().toUtf8() +
        "\nConvertDestinationFolder=string:" + out.path().toUtf8() + "\n");
    Start s({"-BATCH"});
    EXPECT_EQ(s.program->lastBatchEnd(), BatchEnd::Finished);
    EXPECT_TRUE(s.application.isTerminated);
    EXPECT_FALSE(s.program->state().BatchMode);
    EXPECT_EQ(s.program->documents().status(0), "Completed");
    EXPECT_TRUE(QFile::exists(in.filePath("Corvanta_Batch.txt")));
    // The program ends without its close path: the profile stays for the next interactive close.
    s.program.reset();
    EXPECT_TRUE(s.printer->callsStartingWith("RemoveProfile").isEmpty());
}

// The batch switch's run is the one that ends the program: only under the switch written
// exactly "-BATCH", and only when the run gets to its end, stopped or not; "-batch" and "-Batch"
// convert all the same and stay open.
TEST(StartUpTest, TheBatchRunEndsTheProgramOnlyUnderTheExactSwitchAndWhenItGetsToItsEnd)
{
    const struct
    {
        const char* argument;
        bool stop;          // Stop is pressed while the first document is converted
        bool missingEnding; // the ending folder does not exist
        BatchEnd end;
        bool endsTheProgram;
    } cases[] = {
        {"-BATCH", false, false, BatchEnd::Finished, true},
        {"-batch", false, false, BatchEnd::Finished, false},
        {"-Batch", false, false, BatchEnd::Finished, false},
        {"-BATCH", true, false, BatchEnd::Stopped, true},
        {"-BATCH", false, true, BatchEnd::EndedEarly, false},
    };
    for (const auto& c : cases) {
        QTemporaryDir in;
        QTemporaryDir out;
        writeXml(in.filePath("a.xml"));
        writeXml(in.filePath("b.xml"));
        const QString ending = c.missingEnding ? out.filePath("missing") : out.path();
        StoredSettings stored(
            "[Software\\Corvanta\\Program]\nConvertStartFolder=string:" + in.path().toUtf8() +
            "\nConvertDestinationFolder=string:" + ending.toUtf8() + "\n");
        Start s({c.argument}, Driver::Works, 0, nullptr, [&c](Start& started) {
            if (!c.stop)
                return;
            started.clock.onPause = [&started] {
                if (started.program->documents().status(0) == "Converting")
                    started.window->form().PNGCreatePDF->click(); // reads "Stop" now
            };
        });
        const std::string label = std::string(c.argument) + (c.stop ? " stopped" : "") +
                                  (c.missingEnding ? " no ending folder" : "");
        EXPECT_EQ(s.program->lastBatchEnd(), c.end) << label;
        EXPECT_EQ(s.application.isTerminated, c.endsTheProgram) << label;
        EXPECT_TRUE(QFile::exists(in.filePath("Corvanta_Batch.txt"))) << label;
        EXPECT_EQ(s.program->documents().status(0) == "Completed", !c.missingEnding) << label;
        EXPECT_EQ(s.program->documents().status(1) == "Completed", !c.stop && !c.missingEnding)
            << label;
    }
}

TEST(CloseTest, RemovesTheProfileEndsComAndLeavesNoPageFileWithoutAWindow)
{
    const QString data = ProgramDataFolder();
    for (const char* name : {"ScannedImage1.jpg", "ScannedImage20.jpg", ".ScannedImageX.jpg"})
        QFile(data + name).open(QIODevice::WriteOnly);
    QFile(data + "ScannedImage3.jpg").open(QIODevice::WriteOnly);
    QFile::setPermissions(data + "ScannedImage3.jpg", QFileDevice::ReadOwner);
    QFile(data + "other.jpg").open(QIODevice::WriteOnly);

    Start s;
    s.window->show();
    s.window->close();
    EXPECT_EQ(s.printer->calls.last(), "RemoveProfile Corvanta Profile");
    EXPECT_EQ(s.com.ended, 1);
    EXPECT_TRUE(s.help.calls.contains("closeAll"));
    EXPECT_FALSE(QFile::exists(data + "ScannedImage1.jpg"));
    EXPECT_FALSE(QFile::exists(data + "ScannedImage20.jpg"));
    EXPECT_FALSE(QFile::exists(data + "ScannedImage3.jpg"));
    EXPECT_TRUE(QFile::exists(data + ".ScannedImageX.jpg"));
    EXPECT_TRUE(QFile::exists(data + "other.jpg"));
    EXPECT_TRUE(s.dialogs.shown.isEmpty());
}

TEST(CloseTest, AClosePressedDuringARunStopsItAfterTheCurrentDocumentThenCloses)
{
    QTemporaryDir in;
    for (const char* name : {"a.xml", "b.xml"}) {
        QFile doc(in.filePath(name));
        doc.open(QIODevice::WriteOnly);
        doc.write("<a/>\n");
    }
    Start s;
    s.window->show();
    s.program->documents().FillGrid("a.xml", in.filePath("a.xml"));
    s.program->documents().FillGrid("b.xml", in.filePath("b.xml"));
    int closes = 0;
    s.clock.onPause = [&] {
        if (s.program->documents().status(0) != "Converting" || closes++ > 0)
            return;
        // The list cannot be changed while a run walks it.
        auto& list = *s.window->form().lstFileList;
        list.setCurrentIndex(list.model()->index(1, 0));
        QTest::keyClick(&list, Qt::Key_Delete);
        EXPECT_EQ(s.program->documents().DocumentCount(), 2);
        s.window->close();
    };
    s.window->form().PNGCreatePDF->click();
    EXPECT_TRUE(s.window->isVisible());
    EXPECT_EQ(s.program->documents().status(0), "Completed");
    EXPECT_EQ(s.program->documents().status(1), "Wating");
    EXPECT_TRUE(s.printer->callsStartingWith("RemoveProfile").isEmpty());

    QCoreApplication::processEvents();
    EXPECT_FALSE(s.window->isVisible());
    EXPECT_EQ(s.printer->calls.last(), "RemoveProfile Corvanta Profile");
}

TEST(ScheduleTest, RunNowConvertsTheFoldersOfThePageAndTheWindowStaysOpen)
{
    QTemporaryDir in;
    QTemporaryDir out;
    writeXml(in.filePath("a.xml"));
    Start s;
    s.window->form().txtStartFolder->setText(in.path());
    s.window->form().txtDestinationFolder->setText(out.path());
    ASSERT_TRUE(s.window->form().rdoNow->isChecked());
    s.window->form().cmdOK->click();

    EXPECT_TRUE(s.dialogs.shown.isEmpty()) << s.dialogs.texts().join('|').toStdString();
    ASSERT_EQ(s.program->documents().DocumentCount(), 1);
    EXPECT_EQ(s.program->documents().status(0), "Completed");
    EXPECT_EQ(s.printer->jobs.value(0).saveFolder, out.path());
    EXPECT_TRUE(QFile::exists(in.filePath("Corvanta_Batch.txt")));
    EXPECT_FALSE(s.application.isTerminated);
    EXPECT_FALSE(s.program->state().BatchMode);
    // The folders are kept for the next start.
    SettingsError error;
    EXPECT_EQ(
        s.settings.readValue("Software\\Corvanta\\Program", "ConvertStartFolder", error)->text(),
        in.path());
}

TEST(CloseTest, FileExitTakesTheSamePathAsTheCloseBox)
{
    Start s;
    s.window->show();
    s.window->form().Exit1->trigger();
    EXPECT_FALSE(s.window->isVisible());
    EXPECT_EQ(s.printer->calls.last(), "RemoveProfile Corvanta Profile");
}

TEST(MessageTest, PrintErrorsShowTheirWarningAndFileSavedShowsNothing)
{
    Start s;
    for (int code : {1, 3, 4, 2, 0})
        PostWindowMessage(s.window, s.window->PrintErrorMessage(), code, 0);
    PostWindowMessage(s.window, s.window->FileSavedMessage(), 0, 0);
    QApplication::processEvents();
    EXPECT_EQ(s.dialogs.texts(), (QStringList{"Error saving temporary file on printer server",
                                              "Error saving PDF file", "Print job was canceled"}));
    for (const auto& shown : s.dialogs.shown)
        EXPECT_EQ(shown.icon, Dialogs::Icon::Warning);
}

TEST(KeyTest, F1OpensTheTopicOfThePageShownAndTheKeyStillReachesTheControl)
{
    Start s;
    s.window->show();
    Ui::frmMain& ui = s.window->form();
    const QStringList topics = {"::/CreatingPDFs.htm", "::/BulkConvert.htm", "::/ScanningFiles.htm",
                                "::/Security.htm"};
    const Qt::KeyboardModifiers held[] = {Qt::NoModifier, Qt::ShiftModifier, Qt::ControlModifier,
                                          Qt::NoModifier};
    for (int page = 0; page < 4; ++page) {
        ui.OfficePager1->setCurrentIndex(page);
        s.help.calls.clear();
        QWidget* focused =
            page == 0 ? static_cast<QWidget*>(ui.lstFileList) : ui.OfficePager1->currentWidget();
        QTest::keyClick(focused, Qt::Key_F1, held[page]);
        EXPECT_EQ(s.help.calls, QStringList{"show " + s.window->HelpFileName() + topics[page]});
    }
    ui.OfficePager1->setCurrentIndex(1);
    ui.txtStartFolder->setFocus();
    s.help.calls.clear();
    QTest::keyClicks(ui.txtStartFolder, "ab");
    QTest::keyClick(ui.txtStartFolder, Qt::Key_F1);
    EXPECT_EQ(ui.txtStartFolder->text(), "ab");
    EXPECT_EQ(s.help.calls.size(), 1);
}

TEST(HelpTest, TheHelpMenuShowsTheFileAtItsDefaultTopicAndWebOpensTheWebSite)
{
    Start s;
    s.help.calls.clear();
    s.window->form().CorvantaHelp1->trigger();
    EXPECT_EQ(s.help.calls, QStringList{"show " + s.window->HelpFileName()});
    s.window->form().Web1->trigger();
    ASSERT_EQ(s.desktop.opened.size(), 1);
    EXPECT_TRUE(s.desktop.opened.first().startsWith("https://"));
}

TEST(KeyTest, TabReachesTheListCommandsTheKeysUseThemAndDeleteRemovesTheSelectedRow)
{
    Start s;
    s.window->show();
    s.window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(s.window));
    Ui::frmMain& ui = s.window->form();
    DocumentList& list = s.program->documents();
    for (const char* name : {"a.doc", "b.doc", "c.doc", "d.doc"})
        list.FillGrid(name, QString("/x/") + name);
    const auto names = [&] {
        QStringList all;
        for (int row = 0; row < list.DocumentCount(); ++row)
            all.append(list.name(row));
        return all;
    };
    const auto select = [&](int row) {
        ui.lstFileList->setCurrentIndex(list.index(row, DocumentList::NameColumn));
    };

    ui.lstFileList->setFocus();
    QStringList reached;
    for (int step = 0; step < 10 && !ui.Label3->hasFocus(); ++step) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        if (qobject_cast<LinkLabel*>(QApplication::focusWidget()))
            reached.append(QApplication::focusWidget()->objectName());
    }
    EXPECT_EQ(reached, (QStringList{"Label1", "Label2", "Label3"}));

    QTest::keyClick(ui.Label1, Qt::Key_Return); // Add File: the dialog, cancelled
    EXPECT_EQ(s.dialogs.fileRequests.size(), 1);
    select(1);
    QTest::keyClick(ui.Label2, Qt::Key_Space); // Remove File
    EXPECT_EQ(names(), (QStringList{"a.doc", "c.doc", "d.doc"}));

    select(0);
    QTest::keyClick(ui.lstFileList, Qt::Key_Delete);
    EXPECT_EQ(names(), (QStringList{"c.doc", "d.doc"}));
    // In the name editor Delete edits the name.
    select(0);
    ui.lstFileList->edit(list.index(0, DocumentList::NameColumn));
    QWidget* editor = QApplication::focusWidget();
    ASSERT_NE(editor, ui.lstFileList);
    QTest::keyClick(editor, Qt::Key_Home);
    QTest::keyClick(editor, Qt::Key_Delete);
    QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents(); // the editor hands its text over once the key is done
    EXPECT_EQ(names(), (QStringList{".doc", "d.doc"}));

    QTest::keyClick(ui.Label3, Qt::Key_Enter); // Clear List
    EXPECT_EQ(list.DocumentCount(), 0);
    EXPECT_TRUE(s.dialogs.shown.isEmpty());
}

TEST(KeyTest, TabGoesFromCommandToCommandPastTheIconsBesideThem)
{
    Start s;
    s.window->show();
    s.window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(s.window));
    Ui::frmMain& ui = s.window->form();
    ui.lstFileList->setFocus();
    QStringList stops;
    for (int step = 0; step < 40 && (step == 0 || !ui.lstFileList->hasFocus()); ++step) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        stops.append(QApplication::focusWidget()->objectName());
    }
    ASSERT_TRUE(ui.lstFileList->hasFocus())
        << "Tab never came round: " << stops.join(' ').toStdString();
    for (const char* icon : {"PNGAddFile", "PNGRemoveFile", "PNGClear"})
        EXPECT_FALSE(stops.contains(icon)) << icon;
    EXPECT_EQ(stops.mid(stops.indexOf("Label1"), 3).join(' ').toStdString(), "Label1 Label2 Label3")
        << stops.join(' ').toStdString();
}

TEST(KeyTest, AnAltCombinationTypesNothingIntoAnEditWhileAltGrStillTypes)
{
    Start s;
    s.window->show();
    Ui::frmMain& ui = s.window->form();
    ui.OfficePager1->setCurrentIndex(1);
    const struct
    {
        Qt::KeyboardModifiers held;
        const char* typed;
    } presses[] = {
        {Qt::AltModifier, ""},
        {Qt::AltModifier | Qt::ShiftModifier, ""},
        {Qt::GroupSwitchModifier, "fh"},                   // AltGr as most layouts report it
        {Qt::AltModifier | Qt::GroupSwitchModifier, "fh"}, // ... with Alt seen as well
        {Qt::AltModifier | Qt::ControlModifier, "fh"},     // ... as Alt and Ctrl together
    };
    for (QLineEdit* edit : {ui.txtStartFolder, ui.txtDestinationFolder}) {
        for (const auto& press : presses) {
            edit->setText("/srv/in");
            edit->setFocus();
            QTest::keyClick(edit, 'f', press.held);
            QTest::keyClick(edit, 'h', press.held);
            EXPECT_EQ(edit->text().toStdString(), std::string("/srv/in") + press.typed)
                << edit->objectName().toStdString() << " " << press.held.toInt();
        }
    }
}

TEST(StopTest, AClickWithinHalfASecondOfTheRunsEndIsTheLateStopNotANewRun)
{
    QTemporaryDir in;
    writeXml(in.filePath("a.xml"));
    Start s;
    s.program->documents().FillGrid("a.xml", in.filePath("a.xml"));
    ImageButton* button = s.window->form().PNGCreatePDF;
    const struct
    {
        int afterMs;
        bool runs;
    } clicks[] = {{0, false}, {499, false}, {500, true}};
    for (const auto& click : clicks) {
        s.clock.moment = s.clock.moment.addSecs(1);
        button->click(); // a whole run: the fake clock's pauses take no time
        ASSERT_EQ(button->text(), "Generate PDF");
        const qsizetype jobs = s.printer->jobs.size();
        ASSERT_GT(jobs, 0);
        s.clock.moment = s.clock.moment.addMSecs(click.afterMs);
        button->click();
        EXPECT_EQ(s.printer->jobs.size() > jobs, click.runs) << click.afterMs << " ms after";
    }
    EXPECT_TRUE(s.dialogs.shown.isEmpty()) << s.dialogs.texts().join('|').toStdString();
}

// Drags over the list and drops there, as a file manager does; true when the list took the drop.
bool dropOnList(TfrmMain& window, const QList<QUrl>& urls)
{
    QWidget* viewport = window.form().lstFileList->viewport();
    QMimeData data;
    data.setUrls(urls);
    const QPoint at = viewport->rect().center();
    const Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction;
    QDragEnterEvent enter(at, offered, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(at, offered, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &drop);
    // A move would let the file manager delete the file the list "took".
    EXPECT_EQ(drop.dropAction(), Qt::CopyAction);
    QApplication::processEvents();
    return drop.isAccepted();
}

TEST(DropTest, ADroppedFolderAddsItsFilesARemoteAddressNothingAndARunRefusesDrops)
{
    QTemporaryDir in;
    QTemporaryDir later;
    for (const char* name : {"b.xml", "a.xml"})
        writeXml(in.filePath(name));
    writeXml(later.filePath("c.xml"));
    // A name that is not text reaches the list by its bytes, as the file manager sends them.
    const QByteArray odd = QFile::encodeName(later.path()) + "/caf\xE9.xml";
    ASSERT_EQ(::close(::open(odd.constData(), O_CREAT | O_WRONLY, 0600)), 0);
    const QUrl oddUrl = QUrl::fromEncoded("file://" + odd.toPercentEncoding("/"));
    Start s;
    s.window->show();
    const QUrl remote("https://files.example/c.doc");
    EXPECT_FALSE(dropOnList(*s.window, {remote}));
    EXPECT_TRUE(dropOnList(*s.window, {remote, QUrl::fromLocalFile(in.path()),
                                       QUrl("file://elsewhere/c.doc"), oddUrl}));
    EXPECT_EQ(ListedNames(s.program->documents()), (QStringList{"a.xml", "b.xml", "caf\\xE9.xml"}));
    EXPECT_EQ(s.program->documents().nativePath(2), odd);
    EXPECT_TRUE(s.dialogs.shown.isEmpty()) << s.dialogs.texts().join('|').toStdString();

    bool dropped = false;
    s.clock.onPause = [&] {
        if (dropped || s.program->documents().status(0) != "Converting")
            return;
        dropped = true;
        dropOnList(*s.window, {QUrl::fromLocalFile(later.filePath("c.xml"))});
    };
    s.window->form().PNGCreatePDF->click();
    ASSERT_TRUE(dropped);
    QApplication::processEvents();
    EXPECT_EQ(ListedNames(s.program->documents()), (QStringList{"a.xml", "b.xml", "caf\\xE9.xml"}));
    ::unlink(odd.constData()); // QTemporaryDir cannot name it to remove it
}

} // namespace
