#include "tests/pdfprinter/PrinterFixture.h"
#include "tests/support/PdfProbe.h"
#include "tests/support/TestProgress.h"

#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QProcess>

namespace {

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A picture with detail in every channel, so lossy coding would show.
QImage testPicture(int width, int height, QImage::Format format = QImage::Format_RGB32)
{
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgba((x * 7) & 255, (y * 5) & 255, (x * y) & 255, (x + y) & 255));
    return image.convertToFormat(format);
}

// Samples row after row without padding: 1 byte per pixel for gray, 3 for RGB; colour values
// as stored, not premultiplied by alpha.
QByteArray samples(const QImage& image, bool gray)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    QByteArray out;
    for (int y = 0; y < argb.height(); ++y) {
        for (int x = 0; x < argb.width(); ++x) {
            const QRgb pixel = argb.pixel(x, y);
            out.append(char(qRed(pixel)));
            if (!gray) {
                out.append(char(qGreen(pixel)));
                out.append(char(qBlue(pixel)));
            }
        }
    }
    return out;
}

// 16-bit samples, big-endian, with the alpha channel's samples in `alpha`.
QByteArray deepSamples(const QImage& image, QByteArray* alpha = nullptr)
{
    const QImage deep = image.convertToFormat(QImage::Format_RGBA64);
    QByteArray out;
    const auto put = [](QByteArray& to, quint16 v) {
        to.append(char(v >> 8));
        to.append(char(v));
    };
    for (int y = 0; y < deep.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgba64*>(deep.constScanLine(y));
        for (int x = 0; x < deep.width(); ++x) {
            put(out, line[x].red());
            put(out, line[x].green());
            put(out, line[x].blue());
            if (alpha)
                put(*alpha, line[x].alpha());
        }
    }
    return out;
}

// A 16-bit picture whose low bytes matter.
QImage deepPicture(int width, int height, bool withAlpha)
{
    QImage image(width, height, withAlpha ? QImage::Format_RGBA64 : QImage::Format_RGBX64);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgba64*>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            line[x] = QRgba64::fromRgba64(quint16(x * 997 + y), quint16(y * 1301 + x),
                                          quint16(x * y * 31 + 7),
                                          withAlpha ? quint16(x * 2003 + y * 17) : 65535);
    }
    return image;
}

QByteArray alphaSamples(const QImage& image)
{
    QByteArray out;
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y)
        for (int x = 0; x < argb.width(); ++x)
            out.append(char(qAlpha(argb.pixel(x, y))));
    return out;
}

QImage load(const QString& path)
{
    QImageReader reader(path);
    reader.setAutoTransform(false);
    return reader.read();
}

bool run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

class PictureTest : public PrinterFixture
{
protected:
    // Prints one picture at its size in points from the top left corner, as the image route.
    PdfProbe::Image printPicture(const QString& file, const QImage& decoded)
    {
        const QString title = "/in/" + QFileInfo(file).fileName() + ".PDF";
        IPrintCanvas* canvas = m_printer.beginDocument(title);
        EXPECT_NE(canvas, nullptr);
        if (!canvas)
            return {};
        canvas->drawPicture(QRectF(QPointF(0, 0), QSizeF(decoded.size())), file, decoded);
        EXPECT_TRUE(m_printer.endDocument(unwatched()));
        PdfProbe pdf(output(QFileInfo(file).fileName() + ".PDF"));
        const auto images = pdf.images();
        EXPECT_EQ(images.size(), 1);
        return images.value(0);
    }

    // The first page rendered at 72 dpi: one pixel per point. Cairo maps an image that fills
    // whole pixels onto them exactly, where poppler's own renderer smooths its edges.
    QImage render(const QString& pdf)
    {
        const QString prefix = input("rendered");
        EXPECT_TRUE(run("pdftocairo", {"-r", "72", "-png", "-singlefile", pdf, prefix}));
        return QImage(prefix + ".png").convertToFormat(QImage::Format_RGB32);
    }
};

TEST_F(PictureTest, JpegIsEmbeddedByteForByte)
{
    const QString rgb = input("photo.jpg");
    ASSERT_TRUE(testPicture(320, 200).save(rgb, "JPG", 90));
    const PdfProbe::Image image = printPicture(rgb, load(rgb));
    EXPECT_EQ(image.filter, "/DCTDecode");
    EXPECT_EQ(image.width, 320);
    EXPECT_EQ(image.height, 200);
    EXPECT_EQ(image.colorSpace, "/DeviceRGB");
    EXPECT_EQ(image.bitsPerComponent, 8);
    EXPECT_EQ(image.raw, fileBytes(rgb));

    const QString gray = input("scan.jpeg");
    ASSERT_TRUE(testPicture(100, 150, QImage::Format_Grayscale8).save(gray, "JPG", 75));
    const PdfProbe::Image grayImage = printPicture(gray, load(gray));
    EXPECT_EQ(grayImage.colorSpace, "/DeviceGray");
    EXPECT_EQ(grayImage.raw, fileBytes(gray));
}

TEST_F(PictureTest, AdobeCmykJpegIsEmbeddedWithInvertedDecode)
{
    const QString rgb = input("source.jpg");
    const QString cmyk = input("cmyk.jpg");
    ASSERT_TRUE(testPicture(64, 48).save(rgb, "JPG", 90));
    ASSERT_TRUE(run("convert", {rgb, "-colorspace", "CMYK", cmyk}));
    const PdfProbe::Image image = printPicture(cmyk, load(cmyk));
    EXPECT_EQ(image.filter, "/DCTDecode");
    EXPECT_EQ(image.colorSpace, "/DeviceCMYK");
    EXPECT_EQ(image.decode, "[ 1 0 1 0 1 0 1 0 ]");
    EXPECT_EQ(image.raw, fileBytes(cmyk));
}

TEST_F(PictureTest, PngSamplesPassThroughUnchanged)
{
    const QString rgb = input("chart.png");
    const QImage picture = testPicture(123, 45);
    ASSERT_TRUE(picture.save(rgb, "PNG"));
    const PdfProbe::Image image = printPicture(rgb, load(rgb));
    EXPECT_EQ(image.filter, "/FlateDecode");
    EXPECT_EQ(image.colorSpace, "/DeviceRGB");
    EXPECT_TRUE(image.decodeParms.contains("/Predictor 15")) << image.decodeParms.toStdString();
    EXPECT_TRUE(image.decodeParms.contains("/Columns 123"));
    EXPECT_EQ(image.decoded, samples(picture, false));
    EXPECT_FALSE(image.hasSoftMask);
    // The stored data is the PNG's own compressed data, not a new encoding.
    EXPECT_TRUE(fileBytes(rgb).contains(image.raw.left(64)));

    const QString gray = input("gray.png");
    const QImage grayPicture = testPicture(77, 33, QImage::Format_Grayscale8);
    ASSERT_TRUE(grayPicture.save(gray, "PNG"));
    const PdfProbe::Image grayImage = printPicture(gray, load(gray));
    EXPECT_EQ(grayImage.colorSpace, "/DeviceGray");
    EXPECT_EQ(grayImage.decoded, samples(grayPicture, true));
}

TEST_F(PictureTest, DeepAndBilevelPngSamplesPassThrough)
{
    const QString deep = input("deep.png");
    const QImage picture = deepPicture(21, 13, false);
    ASSERT_TRUE(picture.save(deep, "PNG"));
    const PdfProbe::Image image = printPicture(deep, load(deep));
    EXPECT_EQ(image.bitsPerComponent, 16);
    EXPECT_TRUE(image.decodeParms.contains("/BitsPerComponent 16"));
    EXPECT_EQ(image.decoded, deepSamples(picture));
    EXPECT_GE(PdfProbe(output("deep.png.PDF")).pdfVersion(), "1.5"); // 16-bit samples need it

    // A bilevel scan keeps its single bit per pixel.
    const QString bilevel = input("bilevel.png");
    ASSERT_TRUE(run("convert", {"-size", "64x32", "gradient:white-black", "-threshold", "50%",
                                "-type", "bilevel", bilevel}));
    const PdfProbe::Image bits = printPicture(bilevel, load(bilevel));
    EXPECT_EQ(bits.colorSpace, "/DeviceGray");
    EXPECT_EQ(bits.bitsPerComponent, 1);
    ASSERT_EQ(bits.decoded.size(), 8 * 32);       // 64 pixels in 8 bytes per row
    EXPECT_EQ(uchar(bits.decoded[0]), 0xFF);      // white at the top
    EXPECT_EQ(uchar(bits.decoded[8 * 31]), 0x00); // black at the bottom
}

TEST_F(PictureTest, DeepTransparentPngKeepsSixteenBits)
{
    const QString file = input("deep-alpha.png");
    const QImage picture = deepPicture(17, 9, true);
    ASSERT_TRUE(picture.save(file, "PNG"));
    const QImage decoded = load(file);
    const PdfProbe::Image image = printPicture(file, decoded);
    EXPECT_EQ(image.bitsPerComponent, 16);
    QByteArray alpha;
    EXPECT_EQ(image.decoded, deepSamples(picture, &alpha));
    ASSERT_TRUE(image.hasSoftMask);
    EXPECT_EQ(image.softMask, alpha);
}

TEST_F(PictureTest, PalettePngKeepsItsPaletteAndLooksTheSame)
{
    QImage picture(40, 30, QImage::Format_Indexed8);
    picture.setColorTable({qRgb(255, 0, 0), qRgb(0, 128, 0), qRgb(0, 0, 255), qRgb(250, 250, 0)});
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            picture.setPixel(x, y, (x / 10 + y / 10) % 4);
    const QString file = input("palette.png");
    ASSERT_TRUE(picture.save(file, "PNG"));
    const PdfProbe::Image image = printPicture(file, load(file));
    EXPECT_EQ(image.filter, "/FlateDecode");
    EXPECT_EQ(image.colorSpace, "/Indexed");

    const QImage page = render(output("palette.png.PDF"));
    ASSERT_FALSE(page.isNull());
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            ASSERT_EQ(page.pixel(x, y), picture.pixel(x, y)) << x << "," << y;
    EXPECT_EQ(page.pixel(45, 35), qRgb(255, 255, 255)); // nothing outside the picture
}

TEST_F(PictureTest, TransparentPngIsStoredLosslesslyWithASoftMask)
{
    const QString file = input("logo.png");
    const QImage picture = testPicture(50, 40, QImage::Format_ARGB32);
    ASSERT_TRUE(picture.save(file, "PNG"));
    const QImage decoded = load(file);
    const PdfProbe::Image image = printPicture(file, decoded);
    EXPECT_EQ(image.filter, "/FlateDecode");
    EXPECT_EQ(image.colorSpace, "/DeviceRGB");
    EXPECT_TRUE(image.decodeParms.isEmpty());
    EXPECT_EQ(image.decoded, samples(decoded, false));
    ASSERT_TRUE(image.hasSoftMask);
    EXPECT_EQ(image.softMask, alphaSamples(picture));
}

TEST_F(PictureTest, InterlacedPngIsStoredFromTheDecodedImage)
{
    const QString plain = input("plain.png");
    const QString interlaced = input("interlaced.png");
    const QImage picture = testPicture(31, 17);
    ASSERT_TRUE(picture.save(plain, "PNG"));
    ASSERT_TRUE(run("convert", {plain, "-interlace", "PNG", interlaced}));
    const PdfProbe::Image image = printPicture(interlaced, load(interlaced));
    EXPECT_EQ(image.filter, "/FlateDecode");
    EXPECT_TRUE(image.decodeParms.isEmpty());
    EXPECT_EQ(image.decoded, samples(picture, false));
}

TEST_F(PictureTest, BitmapIsStoredLosslessly)
{
    const QString file = input("drawing.bmp");
    const QImage picture = testPicture(90, 60);
    ASSERT_TRUE(picture.save(file, "BMP"));
    const PdfProbe::Image image = printPicture(file, load(file));
    EXPECT_EQ(image.filter, "/FlateDecode");
    EXPECT_EQ(image.colorSpace, "/DeviceRGB");
    EXPECT_EQ(image.decoded, samples(picture, false));

    QImage grayPicture = testPicture(20, 10, QImage::Format_Grayscale8);
    const QString grayFile = input("gray.bmp");
    ASSERT_TRUE(grayPicture.save(grayFile, "BMP"));
    const PdfProbe::Image grayImage = printPicture(grayFile, load(grayFile));
    EXPECT_EQ(grayImage.colorSpace, "/DeviceGray");
    EXPECT_EQ(grayImage.decoded, samples(grayPicture, true));
}

TEST_F(PictureTest, PictureIsPlacedInItsRectangleFromTheTopLeft)
{
    QImage red(20, 10, QImage::Format_RGB32);
    red.fill(qRgb(255, 0, 0));
    const QString file = input("red.png");
    ASSERT_TRUE(red.save(file, "PNG"));
    IPrintCanvas* canvas = m_printer.beginDocument("/in/placed.PDF");
    ASSERT_NE(canvas, nullptr);
    canvas->drawPicture(QRectF(100, 50, 200, 100), file, red);
    canvas->setFontPointSize(18);
    canvas->drawText(120, 60, "on top");
    canvas->newPage();
    canvas->drawPicture(QRectF(0, 0, 595, 842), file, red);
    ASSERT_TRUE(m_printer.endDocument(unwatched()));

    const QImage page = render(output("placed.PDF"));
    ASSERT_EQ(page.size(), QSize(595, 842));
    EXPECT_EQ(page.pixel(100, 50), qRgb(255, 0, 0));
    EXPECT_EQ(page.pixel(299, 149), qRgb(255, 0, 0));
    EXPECT_EQ(page.pixel(250, 140), qRgb(255, 0, 0));
    EXPECT_EQ(page.pixel(99, 50), qRgb(255, 255, 255));
    EXPECT_EQ(page.pixel(100, 49), qRgb(255, 255, 255));
    EXPECT_EQ(page.pixel(300, 150), qRgb(255, 255, 255));
    EXPECT_EQ(page.pixel(100, 700), qRgb(255, 255, 255));
    PdfProbe pdf(output("placed.PDF"));
    EXPECT_EQ(pdf.pageTexts().value(0).trimmed(), "on top"); // text drawn over the picture
    const auto images = pdf.images();
    ASSERT_EQ(images.size(), 2);
    EXPECT_EQ(images[1].page, 1);
}

TEST_F(PictureTest, PictureWithNothingToDrawLeavesAnEmptyPage)
{
    IPrintCanvas* canvas = m_printer.beginDocument("/in/drawing.wmf.PDF");
    ASSERT_NE(canvas, nullptr);
    canvas->drawPicture(QRectF(0, 0, 100, 100), input("missing.wmf"), QImage());
    ASSERT_TRUE(m_printer.endDocument(unwatched()));
    PdfProbe pdf(output("drawing.wmf.PDF"));
    EXPECT_EQ(pdf.pageCount(), 1);
    EXPECT_TRUE(pdf.images().isEmpty());
}

TEST_F(PictureTest, PicturesStayIntactWithoutTextCompressionAndWithEncryption)
{
    setNumber("Use Text Compression", 0);
    EXPECT_EQ(m_printer.SetPasswordOption("User Password", "abcd", kProfileName, 0), kPrinterOk);
    setNumber("Level", 2);
    const QString jpeg = input("secret.jpg");
    ASSERT_TRUE(testPicture(64, 64).save(jpeg, "JPG", 80));
    IPrintCanvas* canvas = m_printer.beginDocument("/in/secret.jpg.PDF");
    ASSERT_NE(canvas, nullptr);
    canvas->drawPicture(QRectF(0, 0, 64, 64), jpeg, load(jpeg));
    ASSERT_TRUE(m_printer.endDocument(unwatched()));
    PdfProbe pdf(output("secret.jpg.PDF"), "abcd");
    ASSERT_TRUE(pdf.isOpen());
    EXPECT_TRUE(pdf.contentUncompressed());
    const auto images = pdf.images();
    ASSERT_EQ(images.size(), 1);
    EXPECT_EQ(images[0].raw, fileBytes(jpeg)); // decrypted, the JPEG's own bytes
}

} // namespace
