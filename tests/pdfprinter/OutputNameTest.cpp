#include "pdfprinter/OutputName.h"
#include "conversion/DocumentNames.h"
#include "pdfprinter/JpegHeader.h"
#include "pdfprinter/PngChunks.h"

#include <QBuffer>
#include <QImage>
#include <gtest/gtest.h>

namespace {

TEST(OutputName, TitleNamesTheFileAndKeepsItsCase)
{
    EXPECT_EQ(OutputFileName("[N]", "/in/report.PDF"), "report.PDF");
    EXPECT_EQ(OutputFileName("[N]", "/in/Report.pdf"), "Report.PDF");
    // A backslash is part of a name here, as in an escaped "caf\xE9.xml".
    EXPECT_EQ(OutputFileName("[N]", "/in/caf\\xE9.PDF"), "caf\\xE9.PDF");
    EXPECT_EQ(OutputFileName("[N]", "/in/page..PDF"), "page..PDF");
    EXPECT_EQ(OutputFileName("[N]", "/in/notes.xml.PDF"), "notes.xml.PDF");
    EXPECT_EQ(OutputFileName("[N]", "Untitled document"), "Untitled document.PDF");
    EXPECT_EQ(OutputFileName("", "/in/a.PDF"), "a.PDF");
    EXPECT_EQ(OutputFileName("Scan of [N]", "/in/a.PDF"), "Scan of a.PDF");
    EXPECT_EQ(OutputFileName("[N]", "/in/"), "Untitled.PDF");
}

// The name the run expects (asked about, tested for "exists", guarded against two documents) is
// the very name the printer writes, in the document's own folder, whatever the document's name.
TEST(OutputName, TheExpectedPdfIsTheFileThePrinterWrites)
{
    const struct
    {
        const char* document;
        const char* pdf;
    } cases[] = {
        {"report.doc", "report.PDF"}, {"page.html", "page..PDF"}, {".rtf", ".rtf.PDF"},
        {"TODO", "TODO.PDF"},         {"a.c", "a.c.PDF"},         {"x", "x.PDF"},
    };
    for (const auto& c : cases) {
        const DocumentNames names = DocumentNames::of(QStringLiteral("/x/docs/") + c.document);
        EXPECT_EQ(names.expectedPdf, QStringLiteral("/x/docs/") + c.pdf) << c.document;
        EXPECT_EQ(OutputFileName("[N]", names.expectedPdf), c.pdf) << c.document;
    }
}

TEST(OutputName, TemplateCannotLeaveTheFolder)
{
    EXPECT_EQ(OutputFileName("../[N]", "/in/a.PDF"), "");
    EXPECT_EQ(OutputFileName("sub/[N]", "/in/a.PDF"), "");
}

TEST(OutputName, NumberedNamesKeepTheSuffix)
{
    EXPECT_EQ(NumberedFileName("report.PDF", 2), "report (2).PDF");
    EXPECT_EQ(NumberedFileName("page..PDF", 3), "page. (3).PDF");
    EXPECT_EQ(NumberedFileName("odd", 2), "odd (2)");
}

QByteArray encoded(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

TEST(PictureHeaders, JpegFrameHeaderGivesSizeAndComponents)
{
    QImage rgb(37, 21, QImage::Format_RGB32);
    rgb.fill(Qt::darkCyan);
    const auto header = ReadJpegHeader(encoded(rgb, "JPG"));
    ASSERT_TRUE(header.has_value());
    EXPECT_EQ(header->width, 37);
    EXPECT_EQ(header->height, 21);
    EXPECT_EQ(header->components, 3);
    EXPECT_FALSE(header->adobe);

    QImage gray(5, 6, QImage::Format_Grayscale8);
    gray.fill(128);
    EXPECT_EQ(ReadJpegHeader(encoded(gray, "JPG")).value_or(JpegHeader{}).components, 1);
}

TEST(PictureHeaders, DamagedOrForeignDataIsNoJpeg)
{
    QImage rgb(8, 8, QImage::Format_RGB32);
    rgb.fill(Qt::red);
    const QByteArray jpeg = encoded(rgb, "JPG");
    EXPECT_FALSE(ReadJpegHeader(jpeg.left(20)).has_value());
    EXPECT_FALSE(ReadJpegHeader(encoded(rgb, "PNG")).has_value());
    EXPECT_FALSE(ReadJpegHeader(QByteArray()).has_value());
}

TEST(PictureHeaders, PngChunksTellWhatCanPassThrough)
{
    QImage rgb(19, 7, QImage::Format_RGB32);
    rgb.fill(Qt::blue);
    const auto png = ReadPngChunks(encoded(rgb, "PNG"));
    ASSERT_TRUE(png.has_value());
    EXPECT_EQ(png->width, 19);
    EXPECT_EQ(png->height, 7);
    EXPECT_EQ(png->colorType, 2);
    EXPECT_EQ(png->bitDepth, 8);
    EXPECT_TRUE(png->passesThrough());
    EXPECT_FALSE(png->imageData.isEmpty());

    QImage alpha(4, 4, QImage::Format_ARGB32);
    alpha.fill(qRgba(1, 2, 3, 4));
    const auto withAlpha = ReadPngChunks(encoded(alpha, "PNG"));
    ASSERT_TRUE(withAlpha.has_value());
    EXPECT_FALSE(withAlpha->passesThrough());

    EXPECT_FALSE(ReadPngChunks(encoded(rgb, "PNG").left(30)).has_value());
}

} // namespace
