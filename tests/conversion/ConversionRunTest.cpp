// The run's logic against a recording printer: order of calls, statuses, names, the batch log.
#include "conversion/TextRoute.h"
#include "tests/conversion/RunHarness.h"
#include "tests/support/FakePdfPrinter.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

using Harness = RunHarness<FakePdfPrinter>;

QString stamp(const QDateTime& moment)
{
    QString format = QLocale::system().timeFormat(QLocale::LongFormat);
    format.remove(QRegularExpression("\\s*t+"));
    return QLocale::system().toString(moment.date(), QLocale::ShortFormat) + ' ' +
           QLocale::system().toString(moment.time(), format.trimmed());
}

TEST(ConversionRunTest, AnEmptyListOnlyMakesThePrinterDefault)
{
    Harness h;
    EXPECT_EQ(h.run(), RunEnd::EmptyList);
    EXPECT_EQ(h.printer.calls, QStringList{"MakePdfPrinterDefault"});
    EXPECT_TRUE(h.conversion.OutputNames().isEmpty());
}

TEST(ConversionRunTest, WritesTheProfileThenPrintsEachRowInNameOrder)
{
    Harness h;
    h.add(h.makeFile("b.xml", "<b/>\n"));
    h.add(h.makePicture("a.png", {10, 10}, "PNG"));
    ASSERT_EQ(h.run(), RunEnd::Finished);

    const QStringList& calls = h.printer.calls;
    ASSERT_GE(calls.size(), 3);
    EXPECT_EQ(calls.first(), "MakePdfPrinterDefault");
    EXPECT_EQ(calls.last(), "RestorePreviousDefaultPrinter");
    const int select = calls.indexOf("SelectActiveProfile Corvanta Profile");
    EXPECT_LT(calls.indexOf("SetNumberOption Use Text Compression=1 Corvanta Profile"), select);
    EXPECT_EQ(calls.at(select + 1), "AttachMessageWindow");
    EXPECT_EQ(calls.at(select + 2), "NotifyDocumentPath ");
    // The picture comes first: rows are converted in name order, each job named after its PDF.
    ASSERT_EQ(h.printer.jobs.size(), 2);
    EXPECT_EQ(h.printer.jobs[0].title, h.inPath("a.PDF"));
    EXPECT_EQ(h.printer.jobs[0].saveFolder, h.in.path() + '/');
    EXPECT_EQ(h.printer.jobs[1].title, h.inPath("b.PDF"));
    EXPECT_EQ(h.list.status(0), "Completed");
    EXPECT_EQ(h.list.status(1), "Completed");
    EXPECT_EQ(h.conversion.OutputNames(), (QStringList{h.inPath("a.PDF"), h.inPath("b.PDF")}));
    // Commands are disabled for the run and given back afterwards.
    EXPECT_EQ(h.form.runningStates, (QList<bool>{true, false}));
    EXPECT_GE(h.form.repaints, 2);
}

TEST(ConversionRunTest, PausesAreTheFixedOnesInOrder)
{
    Harness h;
    h.add(h.makePicture("a.png", {10, 10}, "PNG"));
    h.add(h.makeFile("b.xml"));
    h.run();
    EXPECT_EQ(h.clock.pauses, (QList<int>{1000, 3000, 500, 1000, 1000, 500, 3000}));
}

TEST(ConversionRunTest, OverwriteQuestionNoSkipsYesPrints)
{
    Harness h;
    h.add(h.makeFile("keep.xml"));
    h.add(h.makeFile("redo.xml"));
    h.makeFile("keep.PDF", "old");
    h.makeFile("redo.PDF", "old");
    h.dialogs.confirmAnswers << false << true;
    h.run();
    EXPECT_EQ(h.dialogs.questions,
              (QStringList{"File " + h.inPath("keep.PDF") + " Exists.  Overwrite?",
                           "File " + h.inPath("redo.PDF") + " Exists.  Overwrite?"}));
    EXPECT_EQ(h.list.status(0), "SKIPPED");
    EXPECT_EQ(h.list.status(1), "Completed");
    ASSERT_EQ(h.printer.jobs.size(), 1);
    EXPECT_EQ(h.printer.jobs[0].title, h.inPath("redo.PDF"));
    // A kept file still names its row for combining.
    EXPECT_EQ(h.conversion.OutputNames().first(), h.inPath("keep.PDF"));
}

TEST(ConversionRunTest, TheOverwriteTestUsesTheExactExpectedName)
{
    Harness h;
    h.add(h.makeFile("page.html"));
    h.makeFile("page.PDF");  // not "page..PDF"
    h.makeFile("page..pdf"); // another letter case is another file here
    h.run();
    EXPECT_TRUE(h.dialogs.questions.isEmpty());
    EXPECT_EQ(h.conversion.OutputNames(), QStringList{h.inPath("page..PDF")});
}

TEST(ConversionRunTest, PdfRowsAreSkippedInEitherMode)
{
    Harness h;
    h.add(h.makeFile("x.pdf"));
    h.run();
    EXPECT_EQ(h.list.status(0), "SKIPPED");
    EXPECT_TRUE(h.printer.jobs.isEmpty());
    EXPECT_EQ(h.conversion.OutputNames(), QStringList{h.inPath("x.PDF")});
}

TEST(ConversionRunTest, RouteFailuresMarkTheirRowsAsErrors)
{
    Harness h;
    h.add(h.makeFile("a.doc"));
    h.add(h.makeFile("b.zzz"));
    h.run();
    EXPECT_EQ(h.list.status(0), "Error");
    EXPECT_EQ(h.list.status(1), "Error");
    EXPECT_EQ(h.conversion.summary().failed, 2);
    // The office route shows its error; the shell route shows nothing.
    ASSERT_EQ(h.dialogs.shown.size(), 1);
    EXPECT_TRUE(h.dialogs.shown[0].text.contains("a.doc"));
    EXPECT_TRUE(h.printer.jobs.isEmpty());
    EXPECT_EQ(h.printer.callsStartingWith("NotifyAutomationServer"),
              QStringList{"NotifyAutomationServer Word.Application"});
}

TEST(ConversionRunTest, APathOfFourCharactersEndsTheRunButRestoresThePrinter)
{
    Harness h;
    h.list.FillGrid("a.xm", "a.xm");
    EXPECT_EQ(h.run(), RunEnd::EndedEarly);
    EXPECT_TRUE(h.printer.jobs.isEmpty());
    EXPECT_EQ(h.printer.calls.last(), "RestorePreviousDefaultPrinter");
}

TEST(ConversionRunTest, AnUnreadableTextDocumentFailsAloneAndLeavesNoPdf)
{
    Harness h;
    h.batchMode();
    h.add(h.inPath("gone.xml")); // listed, then taken away
    h.add(h.makeFile("next.xml", "<next/>\n"));
    EXPECT_EQ(h.run(), RunEnd::Finished);
    EXPECT_TRUE(h.printer.callsStartingWith("endDocument").size() == 1) << "only next.xml's job";
    EXPECT_EQ(h.list.status(0), "Error");
    EXPECT_EQ(h.list.status(1), "Completed");
    EXPECT_EQ(h.logLines().filter("Error converting file gone.xml: ").size(), 1);
    ASSERT_EQ(h.dialogs.shown.size(), 1);
    EXPECT_TRUE(
        h.dialogs.shown[0].text.startsWith(h.inPath("gone.xml") + " could not be printed: "));
}

TEST(ConversionRunTest, BatchModeSavesIntoTheDestinationAndLogsEveryRow)
{
    Harness h({"-BATCH"});
    h.batchMode();
    h.add(h.makePicture("a.jpg", {8, 8}, "JPEG"));
    h.add(h.makeFile("b.xml"));
    h.add(h.makeFile("c.pdf"));
    h.add(h.makeFile("d.doc"));
    h.add(h.makeFile("e.qqq"));
    h.add(h.makeFile("f.xml"));
    h.makeFile("Corvanta_Batch.txt", "old log");
    h.add(h.inPath("Corvanta_Batch.txt"));
    QFile(h.outPath("f.PDF")).open(QIODevice::WriteOnly);

    ASSERT_EQ(h.run(), RunEnd::Finished);

    const QString at = stamp(h.clock.moment);
    EXPECT_EQ(
        h.logLines(),
        (QStringList{
            "Starting Corvanta Batch job at " + at, "", "",
            "Started converstion for 7 files at " + at, "", "", "a.jpg file successfully converted",
            "b.xml file successfully converted", "c.pdf already in PDF format.  Skipping file",
            "Error converting file d.doc: No renderer for office documents is available to print " +
                h.inPath("d.doc"),
            "Error converting file e.qqq Check File Type.",
            "File f.PDF exists.  SKIPPING this file", "", " Finished Converstion at " + at + "."}));
    // Each job is saved into the destination folder as stored.
    EXPECT_EQ(h.printer.callsStartingWith("SetTextOption Save Folder").mid(0, 1),
              QStringList{"SetTextOption Save Folder=" + h.out.path() + " Corvanta Profile"});
    EXPECT_EQ(h.statusOf("Corvanta_Batch.txt"), "Wating"); // the log row is left alone
    EXPECT_EQ(h.statusOf("c.pdf"), "SKIPPED");
    EXPECT_EQ(h.statusOf("f.xml"), "SKIPPED");
    EXPECT_EQ(h.statusOf("d.doc"), "Error");
    EXPECT_TRUE(h.dialogs.questions.isEmpty());
    EXPECT_FALSE(h.application.isTerminated) << "the program's end is the caller's";
}

// Records what the run asks of a renderer that lays out documents ahead.
class AheadRenderer final : public DocumentRenderer
{
public:
    void renderToPdf(Route, const DocumentSource& document, const QString& pdf, Progress&) override
    {
        calls.append("render " + QFileInfo(document.path).fileName());
        QFile file(pdf);
        file.open(QIODevice::WriteOnly);
        file.write("%PDF-1.7\n");
    }
    void prepare(Route, const DocumentSource& document) override
    {
        calls.append("prepare " + QFileInfo(document.path).fileName());
    }
    void forgetPrepared() override { calls.append("forget"); }
    QStringList calls;
};

// The rows the run will surely render are named ahead; a row that will be skipped is not, and
// what was named and not asked for is forgotten when the run ends.
TEST(ConversionRunTest, TheNextDocumentsAreNamedAheadAndForgottenAtTheEnd)
{
    RunHarness<FakePdfPrinter> h;
    h.batchMode();
    for (const char* name : {"a.doc", "b.doc", "c.xls", "d.doc", "e.doc"})
        h.add(h.makeFile(name));
    QFile(h.outPath("d.PDF")).open(QIODevice::WriteOnly); // d is skipped as "exists"
    AheadRenderer office;
    ASSERT_EQ(h.runWith(office), RunEnd::Finished);

    EXPECT_EQ(office.calls.mid(0, 5),
              (QStringList{"prepare a.doc", "prepare b.doc", "prepare c.xls", "prepare e.doc",
                           "render a.doc"}));
    EXPECT_FALSE(office.calls.contains("prepare d.doc"));
    EXPECT_EQ(office.calls.filter("render"),
              (QStringList{"render a.doc", "render b.doc", "render c.xls", "render e.doc"}));
    EXPECT_EQ(office.calls.last(), "forget");
}

// Whichever the switch, the run says how it ended and leaves the program's end to its caller.
TEST(ConversionRunTest, ABatchRunNeverEndsTheProgramItself)
{
    for (const char* argument : {"-BATCH", "-batch", "-Batch", ""}) {
        Harness h({argument});
        h.batchMode();
        h.add(h.makeFile("a.xml"));
        EXPECT_EQ(h.run(), RunEnd::Finished);
        EXPECT_FALSE(h.application.isTerminated) << argument;
        EXPECT_FALSE(h.logLines().isEmpty());
    }
}

TEST(ConversionRunTest, AStampAtMidnightHasNoTime)
{
    Harness h;
    h.clock.moment = QDateTime(QDate(2026, 1, 2), QTime(0, 0));
    BatchLog log(h.clock, nullptr);
    EXPECT_EQ(log.stamp(), QLocale::system().toString(QDate(2026, 1, 2), QLocale::ShortFormat));
}

TEST(ConversionRunTest, ALogThatCannotBeOpenedIsReportedAndTheRunGoesOnWithoutIt)
{
    Harness h;
    h.batchMode();
    h.state.StartFolder = h.inPath("no/such/folder");
    h.add(h.makeFile("a.xml"));
    EXPECT_EQ(h.run(), RunEnd::Finished);
    ASSERT_FALSE(h.dialogs.shown.isEmpty());
    EXPECT_TRUE(h.dialogs.shown[0].text.startsWith("Error opening log file " +
                                                   h.inPath("no/such/folder/Corvanta_Batch.txt")));
    EXPECT_EQ(h.list.status(0), "Completed");
}

} // namespace
