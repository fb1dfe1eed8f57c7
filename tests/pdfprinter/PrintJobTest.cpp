#include "common/Progress.h"
#include "pdfprinter/PdfOutput.h"
#include "tests/pdfprinter/PrinterFixture.h"
#include "tests/support/PdfProbe.h"
#include "tests/support/TestProgress.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <csignal>
#include <sys/resource.h>

namespace {

class PrintJobTest : public PrinterFixture
{
};

TEST_F(PrintJobTest, TextLinesBecomeAnA4PdfWithTheProfilesMetadata)
{
    IPrintCanvas* canvas = m_printer.beginDocument("/in/notes.xml.PDF");
    ASSERT_NE(canvas, nullptr);
    EXPECT_EQ(canvas->pageSize(), QSizeF(595, 842));
    canvas->setFontPointSize(18);
    canvas->drawText(50, 38, "<note>first line</note>");
    canvas->drawText(50, 76, "second line");
    canvas->newPage();
    canvas->drawText(50, 38, "third line");
    ASSERT_TRUE(m_printer.endDocument(unwatched()));

    PdfProbe pdf(output("notes.xml.PDF"));
    ASSERT_TRUE(pdf.isOpen()) << pdf.error().toStdString();
    EXPECT_EQ(pdf.pageCount(), 2);
    EXPECT_EQ(pdf.pageSizes(), (QList<QSizeF>{{595, 842}, {595, 842}}));
    EXPECT_EQ(pdf.infoTitle(), "PDF Created by Corvanta Professional");
    EXPECT_EQ(pdf.infoSubject(), "Corvanta document");
    EXPECT_EQ(pdf.infoProducer(), "Corvanta PDF Printer");
    EXPECT_FALSE(pdf.isEncrypted());
    EXPECT_TRUE(pdf.contentCompressed());
    const QStringList pages = pdf.pageTexts();
    ASSERT_EQ(pages.size(), 2);
    EXPECT_EQ(pages[0].split('\n', Qt::SkipEmptyParts),
              (QStringList{"<note>first line</note>", "second line"}));
    EXPECT_EQ(pages[1].trimmed(), "third line");
}

TEST_F(PrintJobTest, TextIsPlacedFromTheTopLeftCorner)
{
    IPrintCanvas* canvas = m_printer.beginDocument("/in/placed.PDF");
    ASSERT_NE(canvas, nullptr);
    canvas->setFontPointSize(18);
    canvas->drawText(50, 38, "Top");
    canvas->drawText(300, 760, "Bottom");
    ASSERT_TRUE(m_printer.endDocument(unwatched()));

    // pdftotext -bbox reports each word's box in points from the top left corner.
    QProcess process;
    process.start("pdftotext", {"-bbox", output("placed.PDF"), "-"});
    ASSERT_TRUE(process.waitForFinished(60000));
    const QString html = QString::fromUtf8(process.readAllStandardOutput());
    const QRegularExpression word(
        R"re(xMin="([\d.]+)" yMin="([\d.]+)" xMax="[\d.]+" yMax="([\d.]+)">(\w+)<)re");
    QMap<QString, QList<double>> boxes;
    for (const auto& m : word.globalMatch(html))
        boxes[m.captured(4)] = {m.captured(1).toDouble(), m.captured(2).toDouble(),
                                m.captured(3).toDouble()};
    ASSERT_TRUE(boxes.contains("Top")) << html.toStdString();
    ASSERT_TRUE(boxes.contains("Bottom"));
    EXPECT_NEAR(boxes["Top"][0], 50, 2);
    EXPECT_NEAR(boxes["Top"][1], 38, 3);
    EXPECT_NEAR(boxes["Top"][2] - boxes["Top"][1], 18, 4);
    EXPECT_NEAR(boxes["Bottom"][0], 300, 2);
    EXPECT_NEAR(boxes["Bottom"][1], 760, 3);
}

TEST_F(PrintJobTest, ContentStaysPlainWithoutTextCompression)
{
    setNumber("Use Text Compression", 0);
    ASSERT_TRUE(printLines("/in/plain.PDF", {"readable"}));
    PdfProbe plain(output("plain.PDF"));
    EXPECT_TRUE(plain.contentUncompressed());
    EXPECT_EQ(plain.pageTexts().value(0).trimmed(), "readable");

    ASSERT_TRUE(
        m_printer.printRenderedPdf("/in/rendered.PDF", makeRenderedPdf("r.pdf", "R"), unwatched()));
    EXPECT_TRUE(PdfProbe(output("rendered.PDF")).contentUncompressed());
}

TEST_F(PrintJobTest, FileIsNamedFromTheTitleKeepingItsCase)
{
    ASSERT_TRUE(printLines("/in/report.PDF", {"a"}));
    ASSERT_TRUE(printLines("/in/Mixed.Case.pdf", {"b"}));
    ASSERT_TRUE(printLines("/in/page..PDF", {"c"}));
    setText("Save File", "copy of [N]");
    ASSERT_TRUE(printLines("/in/letter.PDF", {"d"}));
    EXPECT_EQ(outputEntries(),
              (QStringList{"Mixed.Case.PDF", "copy of letter.PDF", "page..PDF", "report.PDF"}));
}

TEST_F(PrintJobTest, ConflictStrategyThreeReplacesTheExistingFile)
{
    ASSERT_TRUE(printLines("/in/report.PDF", {"old text"}));
    ASSERT_TRUE(printLines("/in/report.PDF", {"new text"}));
    EXPECT_EQ(outputEntries(), QStringList{"report.PDF"});
    EXPECT_EQ(PdfProbe(output("report.PDF")).pageTexts().value(0).trimmed(), "new text");
}

TEST_F(PrintJobTest, OtherConflictStrategiesKeepTheExistingFile)
{
    setNumber("File Conflict Strategy", 1);
    ASSERT_TRUE(printLines("/in/report.PDF", {"first"}));
    ASSERT_TRUE(printLines("/in/report.PDF", {"second"}));
    ASSERT_TRUE(printLines("/in/report.PDF", {"third"}));
    EXPECT_EQ(outputEntries(), (QStringList{"report (2).PDF", "report (3).PDF", "report.PDF"}));
    EXPECT_EQ(PdfProbe(output("report.PDF")).pageTexts().value(0).trimmed(), "first");
    EXPECT_EQ(PdfProbe(output("report (3).PDF")).pageTexts().value(0).trimmed(), "third");
    EXPECT_EQ(m_printer.savedFile(), output("report (3).PDF"));
}

TEST_F(PrintJobTest, SavedJobPostsFileSavedAndLeavesNoTemporaryFile)
{
    ASSERT_TRUE(printLines("/in/report.PDF", {"a"}));
    const auto messages = m_window.deliver();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0].name, kFileSavedMessageName);
    EXPECT_EQ(messages[0].wParam, 0);
    EXPECT_EQ(outputEntries(), QStringList{"report.PDF"});
    EXPECT_TRUE(QFileInfo(output("report.PDF")).permissions() & QFileDevice::ReadOther);
}

TEST_F(PrintJobTest, MissingSaveFolderFailsWithErrorThreeAndWritesNothing)
{
    const QString missing = m_out.filePath("not/there");
    setText("Save Folder", missing);
    EXPECT_FALSE(printLines("/in/report.PDF", {"a"}));
    auto messages = m_window.deliver();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0].name, kPrintErrorMessageName);
    EXPECT_EQ(messages[0].wParam, 3);
    EXPECT_EQ(messages[0].detail,
              QDir(missing).filePath("report.PDF") + ": the folder " + missing + " does not exist");
    EXPECT_FALSE(QDir(missing).exists());
    EXPECT_TRUE(outputEntries().isEmpty());

    setText("Save Folder", "");
    EXPECT_FALSE(
        m_printer.printRenderedPdf("/in/r.PDF", makeRenderedPdf("r.pdf", "R"), unwatched()));
    EXPECT_EQ(m_window.deliver().size(), 2);
}

TEST_F(PrintJobTest, AWriteThatFailsIsAnErrorNamingTheFileNotAnEmptyPdf)
{
    // A file size limit makes every write fail as a full disk does; the PDF is small enough to
    // sit in the stream's buffer until the end.
    const QString rendered = makeRenderedPdf("r.pdf", "R");
    struct rlimit saved
    {
    };
    ::getrlimit(RLIMIT_FSIZE, &saved);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit tiny = saved;
    tiny.rlim_cur = 1;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &tiny), 0);
    const bool written = m_printer.printRenderedPdf("/in/report.PDF", rendered, unwatched());
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(written);
    EXPECT_TRUE(m_printer.savedFile().isEmpty());
    const auto messages = m_window.deliver();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0].wParam, 3);
    EXPECT_TRUE(messages[0].detail.startsWith(output("report.PDF") + ": "))
        << messages[0].detail.toStdString();
    EXPECT_TRUE(messages[0].detail.contains("File too large")) << messages[0].detail.toStdString();
    EXPECT_TRUE(outputEntries().isEmpty());
}

TEST_F(PrintJobTest, AWriteStoppedByTheUserLeavesNothing)
{
    OutputOptions options;
    options.saveFolder = m_out.path();
    const std::atomic_bool stop = true;
    EXPECT_THROW(WriteJobPdf({makeRenderedPdf("r.pdf", "R"), {}, "/in/report.PDF"}, options, stop),
                 RunStopped);
    EXPECT_TRUE(outputEntries().isEmpty());
}

TEST_F(PrintJobTest, UnreadableRenderedPdfFailsAndLeavesNothing)
{
    QFile junk(input("junk.pdf"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("this is no PDF");
    junk.close();
    EXPECT_FALSE(m_printer.printRenderedPdf("/in/junk.PDF", input("junk.pdf"), unwatched()));
    EXPECT_FALSE(m_printer.printRenderedPdf("/in/none.PDF", input("none.pdf"), unwatched()));
    const auto messages = m_window.deliver();
    ASSERT_EQ(messages.size(), 2);
    EXPECT_EQ(messages[1].name, kPrintErrorMessageName);
    EXPECT_EQ(messages[1].wParam, 3);
    EXPECT_TRUE(outputEntries().isEmpty());
}

TEST_F(PrintJobTest, RenderedPdfIsWrittenUnderTheProfile)
{
    ASSERT_TRUE(m_printer.printRenderedPdf(
        "/in/book.xls.PDF", makeRenderedPdf("rendered.pdf", "Rendered page"), unwatched()));
    PdfProbe pdf(output("book.xls.PDF"));
    ASSERT_TRUE(pdf.isOpen());
    EXPECT_EQ(pdf.pageSizes(), QList<QSizeF>{QSizeF(612, 792)}); // the renderer's paper stays
    EXPECT_EQ(pdf.infoTitle(), "PDF Created by Corvanta Professional");
    EXPECT_EQ(pdf.pageTexts().value(0).trimmed(), "Rendered page");
    EXPECT_TRUE(QFile::exists(input("rendered.pdf")));
    EXPECT_EQ(m_window.deliver().value(0).name, kFileSavedMessageName);
}

TEST_F(PrintJobTest, OneJobAtATime)
{
    IPrintCanvas* first = m_printer.beginDocument("/in/first.PDF");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(m_printer.beginDocument("/in/second.PDF"), nullptr);
    EXPECT_FALSE(
        m_printer.printRenderedPdf("/in/third.PDF", makeRenderedPdf("t.pdf", "T"), unwatched()));
    first->drawText(10, 10, "first");
    EXPECT_TRUE(m_printer.endDocument(unwatched()));
    EXPECT_FALSE(m_printer.endDocument(unwatched())); // no job open any more
    EXPECT_EQ(outputEntries(), QStringList{"first.PDF"});
}

TEST_F(PrintJobTest, AbortedJobWritesNothingAndCleansUp)
{
    // A temporary folder of our own shows what the job keeps there.
    QTemporaryDir temp;
    const QByteArray savedTemp = qgetenv("TMPDIR");
    qputenv("TMPDIR", temp.path().toUtf8());
    IPrintCanvas* canvas = m_printer.beginDocument("/in/dropped.PDF");
    qputenv("TMPDIR", savedTemp);
    ASSERT_NE(canvas, nullptr);
    canvas->drawText(10, 10, "never saved");
    const QDir::Filters all = QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden;
    const QStringList jobFolders = QDir(temp.path()).entryList(all);
    ASSERT_EQ(jobFolders.size(), 1);
    EXPECT_EQ(QFileInfo(temp.filePath(jobFolders[0])).permissions() & 0x0077, 0)
        << "the job's folder is private";
    m_printer.abortDocument();
    EXPECT_TRUE(QDir(temp.path()).entryList(all).isEmpty());
    EXPECT_TRUE(outputEntries().isEmpty());
    EXPECT_TRUE(m_window.deliver().isEmpty());
    // The printer is free again.
    EXPECT_TRUE(printLines("/in/next.PDF", {"next"}));
}

TEST_F(PrintJobTest, FinishedJobRemovesItsTemporaryFolder)
{
    QTemporaryDir temp;
    const QByteArray savedTemp = qgetenv("TMPDIR");
    qputenv("TMPDIR", temp.path().toUtf8());
    const bool saved = printLines("/in/kept.PDF", {"kept"});
    setText("Save Folder", m_out.filePath("missing"));
    const bool failed = printLines("/in/lost.PDF", {"lost"});
    qputenv("TMPDIR", savedTemp);
    EXPECT_TRUE(saved);
    EXPECT_FALSE(failed);
    EXPECT_TRUE(QDir(temp.path()).isEmpty());
    EXPECT_EQ(outputEntries(), QStringList{"kept.PDF"});
}

TEST_F(PrintJobTest, ReproducibleOutputGivesTheSameBytes)
{
    m_printer.setReproducibleOutput(true);
    ASSERT_TRUE(printLines("/in/same.PDF", {"same"}));
    QFile first(output("same.PDF"));
    ASSERT_TRUE(first.open(QIODevice::ReadOnly));
    const QByteArray bytes = first.readAll();
    first.close();
    ASSERT_TRUE(printLines("/in/same.PDF", {"same"}));
    QFile second(output("same.PDF"));
    ASSERT_TRUE(second.open(QIODevice::ReadOnly));
    EXPECT_EQ(second.readAll(), bytes);
}

} // namespace
