// The whole run against the real PDF printer, reading the PDFs back.
#include "pdfprinter/PdfPrinter.h"
#include "tests/conversion/RunHarness.h"
#include "tests/support/PdfProbe.h"

#include <QDir>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

struct RealPrinterHarness : RunHarness<PdfPrinter>
{
    explicit RealPrinterHarness(QStringList args = {}) : RunHarness(std::move(args))
    {
        printer.InitializeOptions("Corvanta", "Corvanta");
        printer.CreateProfile(kProfileName, 0);
    }
};

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

TEST(RunWithPdfPrinterTest, PicturesAndXmlBecomeCorrectPdfsNextToTheirDocuments)
{
    RealPrinterHarness h;
    const QString jpeg = h.makePicture("photo.jpeg", {300, 200}, "JPEG");
    h.add(jpeg);
    h.add(h.makePicture("big.png", {1800, 900}, "PNG"));
    h.add(h.makeFile("orders.xml", "<orders>\n  <order id=\"7\"/>\n</orders>\n"));
    ASSERT_EQ(h.run(), RunEnd::Finished);

    // Four characters are cut, whatever the ending: "photo.jpeg" gives "photo..PDF".
    PdfProbe photo(h.inPath("photo..PDF"));
    ASSERT_TRUE(photo.isOpen()) << photo.error().toStdString();
    EXPECT_EQ(photo.pageCount(), 1);
    EXPECT_EQ(photo.infoTitle(), "PDF Created by Corvanta Professional");
    EXPECT_EQ(photo.infoSubject(), "Corvanta document");
    EXPECT_FALSE(photo.isEncrypted());
    ASSERT_EQ(photo.images().size(), 1);
    EXPECT_EQ(photo.images()[0].filter, "/DCTDecode");
    EXPECT_EQ(photo.images()[0].raw, bytesOf(jpeg)); // embedded byte for byte

    PdfProbe big(h.inPath("big.PDF"));
    ASSERT_EQ(big.images().size(), 1);
    EXPECT_EQ(big.images()[0].width, 1800); // scaled on the page, not resampled

    PdfProbe orders(h.inPath("orders.PDF"));
    ASSERT_EQ(orders.pageCount(), 1);
    EXPECT_TRUE(orders.pageTexts()[0].contains("<order id=\"7\"/>"));
    EXPECT_TRUE(orders.contentCompressed());

    for (int row = 0; row < 3; ++row)
        EXPECT_EQ(h.list.status(row), "Completed");
    // Nothing but the documents and their PDFs: no temporary file was left behind.
    EXPECT_EQ(QDir(h.in.path()).entryList(QDir::Files | QDir::Hidden).size(), 6);
}

TEST(RunWithPdfPrinterTest, APasswordProtectsEveryPdfAndWithholdsPermissions)
{
    RealPrinterHarness h;
    h.add(h.makeFile("a.xml", "<secret/>\n"));
    h.security.passwordChecked = true;
    h.security.printCopy = true;
    h.security.password1 = h.security.password2 = "open sesame";
    ASSERT_EQ(h.run(), RunEnd::Finished);

    EXPECT_FALSE(PdfProbe(h.inPath("a.PDF")).isOpen()); // the password is needed
    PdfProbe pdf(h.inPath("a.PDF"), "open sesame");
    ASSERT_TRUE(pdf.isOpen()) << pdf.error().toStdString();
    EXPECT_TRUE(pdf.usesAes256());
    EXPECT_FALSE(pdf.allowsPrint());
    EXPECT_FALSE(pdf.allowsModify());
    EXPECT_FALSE(pdf.allowsExtract());
}

TEST(RunWithPdfPrinterTest, WithheldPermissionsWithoutAPasswordAreStillEnforced)
{
    RealPrinterHarness h;
    h.add(h.makeFile("a.xml", "<open/>\n"));
    h.security.printCopy = true;
    ASSERT_EQ(h.run(), RunEnd::Finished);
    PdfProbe pdf(h.inPath("a.PDF"));
    ASSERT_TRUE(pdf.isOpen());
    EXPECT_TRUE(pdf.isEncrypted());
    EXPECT_FALSE(pdf.allowsPrint());
    EXPECT_FALSE(pdf.allowsExtract());
}

TEST(RunWithPdfPrinterTest, AnsweringYesReplacesTheOldPdf)
{
    RealPrinterHarness h;
    h.add(h.makeFile("a.xml", "<new/>\n"));
    h.makeFile("a.PDF", "old bytes");
    h.dialogs.confirmAnswers.enqueue(true);
    ASSERT_EQ(h.run(), RunEnd::Finished);
    PdfProbe pdf(h.inPath("a.PDF"));
    ASSERT_TRUE(pdf.isOpen());
    EXPECT_TRUE(pdf.pageTexts()[0].contains("<new/>"));
}

TEST(RunWithPdfPrinterTest, BatchModeWritesIntoTheDestinationUnderTheExactName)
{
    RealPrinterHarness h({"-BATCH"});
    h.batchMode();
    h.add(h.makeFile("page.html")); // no renderer here: logged as an error, nothing written
    h.add(h.makeFile("Notes.XML", "<n/>\n"));
    ASSERT_EQ(h.run(), RunEnd::Finished);
    EXPECT_TRUE(QFile::exists(h.outPath("Notes.PDF")));
    EXPECT_FALSE(QFile::exists(h.outPath("page..PDF")));
    EXPECT_TRUE(h.logLines().contains("Notes.XML file successfully converted"));
    EXPECT_EQ(
        h.logLines().filter(QRegularExpression("^Error converting file page.html: .+")).size(), 1);

    // A second batch run finds the PDF the printer wrote and skips it.
    RealPrinterHarness again({"-BATCH"});
    again.batchMode();
    again.state.DestinationFolder = h.out.path();
    again.add(again.makeFile("Notes.XML", "<n/>\n"));
    again.run();
    EXPECT_TRUE(again.logLines().contains("File Notes.PDF exists.  SKIPPING this file"));
}

} // namespace
