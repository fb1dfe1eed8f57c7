// The real picture check, alone and behind the image route.
#include "conversion/ImageRoute.h"
#include "conversion/PrintHandlerTable.h"
#include "conversion/RouteTable.h"
#include "pdfprinter/pictures/FilePictureCheck.h"
#include "tests/conversion/RunHarness.h"
#include "tests/support/FakePdfPrinter.h"
#include "tests/support/TestProgress.h"

#include <QBuffer>
#include <QImageWriter>
#include <QProcess>
#include <QtEndian>
#include <gtest/gtest.h>
#include <zlib.h>

namespace {

// Detail in every channel, so that the compressed data is no trivial run.
QImage texture(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb((x * 7) & 255, (y * 5) & 255, (x * y) & 255));
    return image;
}

QByteArray encode(const QImage& image, const char* format, bool progressive = false)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setProgressiveScanWrite(progressive);
    EXPECT_TRUE(writer.write(image));
    return buffer.data();
}

QByteArray bigEndian(quint32 value)
{
    QByteArray bytes(4, Qt::Uninitialized);
    qToBigEndian(value, bytes.data());
    return bytes;
}

quint32 crcOf(const QByteArray& bytes)
{
    return quint32(crc32(0, reinterpret_cast<const Bytef*>(bytes.constData()), uInt(bytes.size())));
}

QByteArray pngChunk(const QByteArray& type, const QByteArray& data)
{
    return bigEndian(quint32(data.size())) + type + data + bigEndian(crcOf(type + data));
}

// A stretch of the entropy-coded data set to all one bits, which no Huffman code is.
QByteArray jpegWithBadHuffmanCodes()
{
    QByteArray jpeg = encode(texture(160, 120), "JPG");
    const qsizetype scan = jpeg.indexOf("\xFF\xDA");
    const qsizetype middle = scan + (jpeg.size() - scan) / 2;
    for (int i = 0; i < 16; i += 2)
        jpeg.replace(middle + i, 2, QByteArray("\xFF\x00", 2));
    return jpeg;
}

// One byte of the first IDAT chunk changed; with `fixCrc` its CRC is made to match, so that
// only the inflated data can tell.
QByteArray pngWithDamagedIdat(bool fixCrc)
{
    QByteArray png = encode(texture(160, 120), "PNG");
    const qsizetype type = png.indexOf("IDAT");
    const quint32 length = qFromBigEndian<quint32>(png.constData() + type - 4);
    png[type + 4 + length / 2] = char(png[type + 4 + length / 2] ^ 0x5A);
    if (fixCrc)
        png.replace(type + 4 + length, 4, bigEndian(crcOf(png.mid(type, 4 + length))));
    return png;
}

// 69 bytes that claim 100000 x 100000 pixels, which take a viewer 40 s to open.
QByteArray hugePng()
{
    const QByteArray header = bigEndian(100000) + bigEndian(100000) + QByteArray("\x08\2\0\0\0", 5);
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", header) +
           pngChunk("IDAT", qCompress(QByteArray(4, 0)).mid(4)) + pngChunk("IEND", {});
}

struct Damaged
{
    const char* name;
    QByteArray (*bytes)();
};

void PrintTo(const Damaged& damaged, std::ostream* out)
{
    *out << damaged.name;
}

class DamagedPictureTest : public ::testing::TestWithParam<Damaged>
{
};

TEST_P(DamagedPictureTest, IsReportedAndNotPrinted)
{
    RunHarness<FakePdfPrinter> h;
    RouteTable routes = h.routesWith({.pictures = &kFilePictureCheck});
    ImageRoute& route = routes.image();
    const QString path = h.makeFile(GetParam().name, GetParam().bytes());
    ASSERT_TRUE(route.LoadImageDocument(path));
    EXPECT_FALSE(route.lastError().isEmpty());
    EXPECT_EQ(h.form.picturesShown, 0);
    EXPECT_FALSE(route.PrintLoadedImage("/t/x.PDF", unwatched()));

    // Under a name the shell route takes, the same file goes into the PDF as it is too.
    MissingRenderer office;
    PrintHandlerTable shell(
        h.printer, office, [](const QString&, const QMimeType&) { return false; },
        kFilePictureCheck);
    const RouteResult refused =
        shell.print(h.makeFile(QString(GetParam().name) + ".jfif", GetParam().bytes()), "/t/y.PDF",
                    unwatched());
    EXPECT_EQ(refused.outcome, RouteOutcome::Failed);
    EXPECT_FALSE(refused.printerReports);
    EXPECT_TRUE(h.printer.callsStartingWith("beginDocument").isEmpty());

    // A run tells the user of the picture once.
    h.add(path);
    h.runWith(routes);
    ASSERT_EQ(h.dialogs.shown.size(), 1);
    EXPECT_TRUE(h.dialogs.shown[0].text.startsWith("Error loading Image " + path + " "))
        << h.dialogs.shown[0].text.toStdString();
    EXPECT_EQ(h.form.picturesShown, 0);
    EXPECT_TRUE(h.printer.callsStartingWith("beginDocument").isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, DamagedPictureTest,
    ::testing::Values(
        Damaged{"cut.jpg", [] { return encode(texture(160, 120), "JPG").chopped(900); }},
        Damaged{"huffman.jpg", jpegWithBadHuffmanCodes},
        Damaged{"cut.png", [] { return encode(texture(160, 120), "PNG").chopped(900); }},
        Damaged{"crc.png", [] { return pngWithDamagedIdat(false); }},
        Damaged{"zlib.png", [] { return pngWithDamagedIdat(true); }},
        Damaged{"huge.png",
                [] {
                    const QByteArray png = hugePng();
                    EXPECT_EQ(png.size(), 69);
                    return png;
                }}),
    [](const auto& info) { return QString(info.param.name).replace('.', '_').toStdString(); });

// Layouts whose data the check must count right: odd sizes, bit depths, interlacing.
TEST(PictureCheckTest, SoundPicturesPassWithTheirSize)
{
    QTemporaryDir dir;
    const auto file = [&](const QString& name, const QByteArray& bytes) {
        QFile out(dir.filePath(name));
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes);
        return out.fileName();
    };
    QImage mono(33, 7, QImage::Format_Mono);
    mono.fill(1);
    const QImage deep = texture(9, 5).convertToFormat(QImage::Format_RGBA64);
    const QImage gray = texture(40, 30).convertToFormat(QImage::Format_Grayscale8);
    const QString plain = file("plain.png", encode(texture(31, 17), "PNG"));
    const QString interlaced = dir.filePath("interlaced.png");
    ASSERT_EQ(QProcess::execute("convert", {plain, "-interlace", "PNG", interlaced}), 0);
    const std::pair<QString, QSize> cases[] = {
        {file("photo.jpg", encode(texture(160, 120), "JPG")), {160, 120}},
        {file("progressive.jpg", encode(texture(75, 50), "JPG", true)), {75, 50}},
        {file("gray.jpg", encode(gray, "JPG")), {40, 30}},
        {plain, {31, 17}},
        {interlaced, {31, 17}},
        {file("mono.png", encode(mono, "PNG")), {33, 7}},
        {file("deep.png", encode(deep, "PNG")), {9, 5}},
    };
    for (const auto& [path, size] : cases) {
        const CheckedPicture checked = kFilePictureCheck.check(path, ImageRoute::kPreviewPanel);
        EXPECT_TRUE(checked.error.isNull())
            << path.toStdString() << ": " << checked.error.toStdString();
        EXPECT_EQ(checked.size, size) << path.toStdString();
    }
}

// The preview is the check's own reduced decode, no coarser than a decode to the panel's size.
TEST(PictureCheckTest, AJpegPreviewComesFromTheCheckAtThePanelsSize)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("scan.jpg");
    ASSERT_TRUE(texture(1240, 1754).save(path, "JPG"));
    const CheckedPicture checked = kFilePictureCheck.check(path, ImageRoute::kPreviewPanel);
    const QSize fit = QSize(1240, 1754).scaled(ImageRoute::kPreviewPanel, Qt::KeepAspectRatio);
    EXPECT_GE(checked.preview.width(), fit.width());
    EXPECT_GE(checked.preview.height(), fit.height());
    EXPECT_LT(checked.preview.width(), 1240 / 2); // reduced by the decoder, not decoded whole
}

} // namespace
