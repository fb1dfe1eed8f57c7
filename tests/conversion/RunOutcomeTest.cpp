// What a run reports and what it leaves on disk when documents fail, clash, are not files, or
// the user stops it.
#include "tests/conversion/RunHarness.h"
#include "tests/support/FakePdfPrinter.h"

#include <QDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

using Harness = RunHarness<FakePdfPrinter>;

TEST(RunOutcomeTest, AJobThePrinterCouldNotSaveIsAnErrorInTheRowTheLogAndTheSummary)
{
    Harness h;
    h.batchMode();
    h.printer.failSaves = true;
    h.add(h.makePicture("a.png", {8, 8}, "PNG"));
    h.add(h.makeFile("b.xml", "<b/>\n"));
    EXPECT_EQ(h.run(), RunEnd::Finished);
    EXPECT_EQ(h.list.status(0), "Error");
    EXPECT_EQ(h.list.status(1), "Error");
    EXPECT_EQ(h.logLines().mid(6, 2),
              (QStringList{"Error converting file a.png: the fake printer saved nothing",
                           "Error converting file b.xml: the fake printer saved nothing"}));
    EXPECT_EQ(h.conversion.summary().failed, 2);
    EXPECT_EQ(h.conversion.summary().converted, 0);
    // The printer reports what it could not save; the run tells nothing more.
    EXPECT_TRUE(h.dialogs.shown.isEmpty());
}

TEST(RunOutcomeTest, TwoDocumentsOfOnePdfNameAreReportedNotSkippedOrAskedAbout)
{
    for (const bool batch : {true, false}) {
        Harness h;
        if (batch)
            h.batchMode();
        h.printer.writeFiles = true;
        h.add(h.makePicture("a.jpg", {8, 8}, "JPEG"));
        h.add(h.makeFile("a.xml", "<a/>\n"));
        h.run();
        EXPECT_EQ(h.list.status(0), "Completed");
        EXPECT_EQ(h.list.status(1), "Same PDF name as a.jpg");
        EXPECT_TRUE(h.dialogs.questions.isEmpty());
        EXPECT_EQ(h.printer.jobs.size(), 1);
        EXPECT_EQ(h.conversion.summary().failed, 1);
        if (batch) {
            EXPECT_TRUE(h.logLines().contains(
                "Error converting file a.xml: a.jpg makes the same PDF file a.PDF"));
        }
    }
}

TEST(RunOutcomeTest, PipesAndLinksOfABatchFolderAreSkippedWithoutBeingOpened)
{
    Harness h;
    h.batchMode();
    QTemporaryDir elsewhere;
    QFile secret(elsewhere.filePath("secret.xml"));
    ASSERT_TRUE(secret.open(QIODevice::WriteOnly));
    secret.write("<private/>\n");
    secret.close();
    ASSERT_EQ(::mkfifo(QFile::encodeName(h.inPath("pipe.xml")).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(secret.fileName(), h.inPath("steal.xml")));
    h.add(h.inPath("pipe.xml"));
    h.add(h.inPath("steal.xml"));

    EXPECT_EQ(h.run(), RunEnd::Finished); // a pipe opened for reading would wait forever
    EXPECT_TRUE(h.printer.jobs.isEmpty());
    EXPECT_EQ(h.list.status(0), "SKIPPED");
    EXPECT_EQ(h.list.status(1), "SKIPPED");
    EXPECT_TRUE(h.logLines().contains("steal.xml is not a regular file.  Skipping file"));
    EXPECT_EQ(h.conversion.summary().skipped, 2);

    // A link the user picked by hand is the user's own choice, and is followed.
    Harness chosen;
    chosen.add(h.inPath("steal.xml"));
    chosen.run();
    EXPECT_EQ(chosen.list.status(0), "Completed");
}

TEST(RunOutcomeTest, AnEndingFolderThatCannotBeWrittenIsReportedOnceBeforeAnyDocument)
{
    Harness h({"-BATCH"});
    h.batchMode();
    h.state.DestinationFolder = h.outPath("missing");
    h.add(h.makeFile("a.xml"));
    h.add(h.makeFile("b.xml"));
    EXPECT_EQ(h.run(), RunEnd::EndedEarly);
    EXPECT_TRUE(h.printer.jobs.isEmpty());
    ASSERT_EQ(h.dialogs.shown.size(), 1);
    EXPECT_TRUE(h.dialogs.shown[0].text.contains(h.outPath("missing")));
    const QStringList lines = h.logLines();
    ASSERT_EQ(lines.size(), 9);
    EXPECT_EQ(lines[6], "Cannot write PDF files into " + h.outPath("missing") +
                            ": the folder does not exist.  No files converted.");
    EXPECT_TRUE(lines[8].startsWith(" Finished Converstion at "));
    EXPECT_EQ(h.conversion.summary().failed, 2);
    EXPECT_FALSE(h.application.isTerminated);
}

TEST(RunOutcomeTest, AStopEndsTheRunAfterTheCurrentDocumentWithACompleteLog)
{
    Harness h({"-BATCH"});
    h.batchMode();
    h.add(h.makeFile("a.xml"));
    h.add(h.makeFile("b.xml"));
    h.clock.onPause = [&] {
        // While a document is converted its row says so, and its name cannot be edited.
        if (h.list.status(0) == "Converting") {
            EXPECT_FALSE(h.list.flags(h.list.index(0, 0)) & Qt::ItemIsEditable);
            h.control.requestStop();
        }
    };
    EXPECT_EQ(h.run(), RunEnd::Stopped);
    EXPECT_EQ(h.list.status(0), "Completed");
    EXPECT_EQ(h.list.status(1), "Wating");
    EXPECT_EQ(h.printer.jobs.size(), 1);
    EXPECT_EQ(h.form.rowsShown, QList<int>{0});
    const QStringList lines = h.logLines();
    ASSERT_EQ(lines.size(), 10);
    EXPECT_EQ(lines[6], "a.xml file successfully converted");
    EXPECT_TRUE(lines[7].startsWith("Conversion stopped by the user"));
    EXPECT_TRUE(lines[9].startsWith(" Finished Converstion at "));
    EXPECT_TRUE(h.conversion.summary().stopped);
    EXPECT_FALSE(h.application.isTerminated) << "the program's end is the caller's";
    EXPECT_TRUE(h.list.flags(h.list.index(0, 0)) & Qt::ItemIsEditable);
}

TEST(RunOutcomeTest, YesToAllAndNoToAllAnswerTheRemainingQuestions)
{
    for (const auto answer : {Dialogs::Answer::YesToAll, Dialogs::Answer::NoToAll}) {
        Harness h;
        for (const char* name : {"a", "b", "c"}) {
            h.add(h.makeFile(QString(name) + ".xml"));
            h.makeFile(QString(name) + ".PDF", "old");
        }
        h.dialogs.answers << Dialogs::Answer::No << answer;
        h.run();
        EXPECT_EQ(h.dialogs.questions.size(), 2);
        EXPECT_EQ(h.dialogs.toAllOffered, (QList<bool>{true, true}));
        const QString rest = answer == Dialogs::Answer::YesToAll ? "Completed" : "SKIPPED";
        EXPECT_EQ(h.list.status(0), "SKIPPED");
        EXPECT_EQ(h.list.status(1), rest);
        EXPECT_EQ(h.list.status(2), rest);
    }
    Harness one;
    one.add(one.makeFile("a.xml"));
    one.makeFile("a.PDF", "old");
    one.run();
    EXPECT_EQ(one.dialogs.toAllOffered, QList<bool>{false});
}

TEST(RunOutcomeTest, ADocumentWhoseNameIsNotTextIsReadThroughItsOwnBytes)
{
    Harness h;
    h.batchMode();
    const QByteArray native = QFile::encodeName(h.in.path()) + "/caf\xe9.xml";
    std::FILE* file = std::fopen(native.constData(), "wb");
    ASSERT_NE(file, nullptr);
    std::fputs("<caf\xc3\xa9/>\n", file);
    std::fclose(file);
    h.list.FillGrid("caf\\xE9.xml", h.inPath("caf\\xE9.xml"), native);
    h.run();
    ASSERT_EQ(h.printer.jobs.size(), 1);
    EXPECT_EQ(h.printer.jobs[0].title, h.inPath("caf\\xE9.PDF"));
    EXPECT_TRUE(h.printer.jobs[0].lines.join(' ').contains(QString::fromUtf8("<caf\xc3\xa9/>")));
    EXPECT_TRUE(h.logLines().contains("caf\\xE9.xml file successfully converted"));
}

} // namespace
