// What the window's flows keep and say: scanned pages of two windows, the questions before a
// flow drops unconverted scans, bulk mode ending with the Schedule press, Run Now!'s progress and
// summary.
#include "tests/app/WindowStart.h"
#include "tests/support/SaneTestBackend.h"
#include "ui_MainForm.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QStatusBar>
#include <gtest/gtest.h>

namespace {

void writeXml(const QString& path)
{
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write("<a/>\n");
}

// A window with SANE's test scanner open on its Bulk Scan page.
struct ScanningWindow
{
    ScanningWindow() { start.window->BStartStopClick(); }

    // Scans one page into the list; answers its file.
    QString scan()
    {
        DocumentList& list = start.program->documents();
        const int before = list.DocumentCount();
        start.window->BAcquireClick();
        const QDeadlineTimer deadline(30000);
        while (list.DocumentCount() == before && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        EXPECT_EQ(list.DocumentCount(), before + 1) << "no page arrived";
        return list.DocumentCount() > before ? list.path(before) : QString();
    }

    sanetest::SaneTestDevices devices;
    Start start{{}, Driver::Works, 0, &devices};
};

TEST(ScannedPagesTest, TwoWindowsNeverShareAPageAndEachClosesWithOnlyItsOwn)
{
    ScanningWindow a;
    const QString pageOfA = a.scan();
    QString pageOfB;
    {
        ScanningWindow b;
        pageOfB = b.scan();
        EXPECT_NE(pageOfB, pageOfA);
        b.start.program->documents().clear(); // the user's own say: closing asks nothing
        b.start.window->close();
        EXPECT_TRUE(b.start.dialogs.questions.isEmpty());
    }
    EXPECT_FALSE(QFile::exists(pageOfB));
    ASSERT_TRUE(QFile::exists(pageOfA)) << "another window's close took it";

    a.start.window->form().PNGCreatePDF->click();
    EXPECT_EQ(a.start.program->documents().status(0), "Completed")
        << a.start.dialogs.texts().join('|').toStdString();
    a.start.window->close();
    EXPECT_TRUE(a.start.dialogs.questions.isEmpty()) << "its page was converted";
    EXPECT_FALSE(QFile::exists(pageOfA));
}

TEST(ScannedPagesTest, CloseAndRunNowAskBeforeDroppingScansNobodyConverted)
{
    QTemporaryDir in;
    QTemporaryDir out;
    writeXml(in.filePath("a.xml"));
    for (const bool agree : {false, true}) {
        ScanningWindow w;
        TfrmMain& window = *w.start.window;
        DocumentList& documents = w.start.program->documents();
        const QString page = w.scan();
        window.show();
        window.form().txtStartFolder->setText(in.path());
        window.form().txtDestinationFolder->setText(out.path());

        w.start.dialogs.confirmAnswers =
            QQueue<bool>({agree, false}); // the second: "View the log now?"
        window.form().cmdOK->click();
        ASSERT_EQ(w.start.dialogs.questions.size(), agree ? 2 : 1);
        EXPECT_EQ(w.start.dialogs.questions[0], kRunNowDropsScansQuestion.arg("1 scanned page"));
        EXPECT_EQ(documents.name(0), agree ? "a.xml" : "ScannedImage1.jpg");

        // The page file stays while its window is open, and its row can come back.
        ASSERT_TRUE(QFile::exists(page));
        if (agree)
            documents.FillGrid("ScannedImage1.jpg", page);
        w.start.dialogs.questions.clear();
        w.start.dialogs.confirmAnswers = QQueue<bool>({false, true});
        window.close();
        EXPECT_TRUE(window.isVisible()) << "No keeps the window";
        window.close();
        EXPECT_EQ(w.start.dialogs.questions,
                  QStringList(2, kCloseDropsScansQuestion.arg("1 scanned page")));
        EXPECT_FALSE(window.isVisible());
        EXPECT_FALSE(QFile::exists(page));
    }
}

TEST(BulkModeTest, AfterARefusedScheduleGeneratePdfConvertsTheListBesideItsDocuments)
{
    QTemporaryDir in;
    QTemporaryDir out;
    QTemporaryDir docs;
    writeXml(docs.filePath("a.xml"));
    Start s;
    Ui::frmMain& ui = s.window->form();
    ui.txtStartFolder->setText(in.path());
    ui.txtDestinationFolder->setText(out.path());
    ui.rdoSchedule->setChecked(true);
    ui.DTDate->setDate(s.clock.moment.date().addDays(-1)); // passed: refused
    ui.cmdOK->click();
    EXPECT_TRUE(s.dialogs.passwordRequests.isEmpty()) << "refused before the password";
    EXPECT_FALSE(s.program->state().BatchMode);

    s.program->documents().FillGrid("a.xml", docs.filePath("a.xml"));
    ui.PNGCreatePDF->click();
    EXPECT_EQ(s.printer->jobs.value(0).saveFolder, docs.path() + "/");
    EXPECT_FALSE(QFile::exists(in.filePath("Corvanta_Batch.txt")));
    EXPECT_EQ(s.window->statusBar()->currentMessage(), "1 converted, 0 failed, 0 skipped");
}

TEST(GeneratePdfTest, AMergeWhoseSaveIsCancelledStillSummarisesTheRowsInTheStatusBar)
{
    QTemporaryDir docs;
    Start s;
    for (const char* name : {"a.xml", "b.xml"}) {
        writeXml(docs.filePath(name));
        s.program->documents().FillGrid(name, docs.filePath(name));
    }
    s.window->form().radCombineFiles->setChecked(true);
    s.dialogs.fileAnswers.enqueue(QString()); // the Save dialog cancelled
    s.window->form().PNGCreatePDF->click();
    EXPECT_EQ(s.window->statusBar()->currentMessage(), "2 converted, 0 failed, 0 skipped");
}

TEST(BulkModeTest, OnlyTheUnattendedStartEndsTheProgram)
{
    QTemporaryDir in;
    QTemporaryDir out;
    writeXml(in.filePath("a.xml"));
    Start s({"-BATCH"}); // no stored folders: the window stays open
    ASSERT_EQ(s.program->lastBatchEnd(), BatchEnd::FoldersTooShort);
    s.window->form().txtStartFolder->setText(in.path());
    s.window->form().txtDestinationFolder->setText(out.path());
    s.window->form().cmdOK->click();
    EXPECT_EQ(s.program->documents().status(0), "Completed");
    EXPECT_FALSE(s.application.isTerminated);
}

TEST(RunNowTest, CountsOnItsPageAndEndsWithOneSummaryAndTheLogOneClickAway)
{
    QTemporaryDir in;
    QTemporaryDir out;
    writeXml(in.filePath("a.xml"));
    writeXml(in.filePath("b.xml"));
    QFile(in.filePath("c.xyz")).open(QIODevice::WriteOnly);
    QFile(in.filePath("c.xyz")).write(QByteArray("\x00\x01\x02", 3));
    Start s;
    Ui::frmMain& ui = s.window->form();
    ui.txtStartFolder->setText(in.path());
    ui.txtDestinationFolder->setText(out.path());
    QStringList shown;
    s.clock.onPause = [&] {
        if (shown.isEmpty() || shown.last() != ui.lblBulkProgress->text())
            shown.append(ui.lblBulkProgress->text());
    };
    ui.cmdOK->click();

    EXPECT_TRUE(shown.contains("1 of 3: a.xml")) << shown.join('|').toStdString();
    EXPECT_TRUE(shown.contains("2 of 3: b.xml")) << shown.join('|').toStdString();
    const QString summary =
        QString::fromUtf8("2 converted, 1 failed, 0 skipped \u2014 see the log");
    EXPECT_EQ(ui.lblBulkProgress->text(), summary);
    EXPECT_EQ(s.dialogs.questions, QStringList{summary + ".\n\nView the log now?"});
    EXPECT_TRUE(s.dialogs.shown.isEmpty()) << s.dialogs.texts().join('|').toStdString();
    EXPECT_EQ(s.desktop.opened, QStringList{in.filePath("Corvanta_Batch.txt")});
    // The failed row says why, as the log does.
    const int failed = s.program->documents().findPath(in.filePath("c.xyz"));
    EXPECT_EQ(
        s.program->documents()
            .data(s.program->documents().index(failed, DocumentList::StatusColumn), Qt::ToolTipRole)
            .toString(),
        "Error converting file c.xyz Check File Type.");
}

TEST(RunNowTest, AnEmptyStartingFolderIsSaidAndLeavesTheControlsAsClearListDoes)
{
    QTemporaryDir in;
    QTemporaryDir out;
    QTemporaryDir docs;
    Start s;
    Ui::frmMain& ui = s.window->form();
    for (const char* name : {"a.xml", "b.xml"}) {
        writeXml(docs.filePath(name));
        s.window->addDocuments({QFile::encodeName(docs.filePath(name))});
    }
    ui.radCombineFiles->setChecked(true);
    ui.txtStartFolder->setText(in.path());
    ui.txtDestinationFolder->setText(out.path());
    ui.cmdOK->click();
    EXPECT_EQ(s.dialogs.texts(), QStringList{in.path() + " holds no file to convert."});
    EXPECT_EQ(s.program->documents().DocumentCount(), 0);
    EXPECT_FALSE(ui.PNGCreatePDF->isEnabled());
    EXPECT_FALSE(ui.radCombineFiles->isEnabled());
    EXPECT_FALSE(ui.radCombineFiles->isChecked());
    EXPECT_TRUE(ui.radSeperateFiles->isChecked());
}

} // namespace
