#include "conversion/DocumentNames.h"
#include "conversion/ImageRoute.h"
#include "conversion/PrintHandlerTable.h"
#include "conversion/RouteSelection.h"
#include "tests/conversion/RunHarness.h"
#include "tests/support/FakePdfPrinter.h"

#include <QImageReader>
#include <QtEndian>
#include <gtest/gtest.h>

namespace {

struct RouteCase
{
    const char* path;
    Route route;
};

class RouteSelectionTest : public ::testing::TestWithParam<RouteCase>
{
};

TEST_P(RouteSelectionTest, FirstMatchingRuleWins)
{
    EXPECT_EQ(SelectRoute(GetParam().path), GetParam().route) << GetParam().path;
}

INSTANTIATE_TEST_SUITE_P(
    Table, RouteSelectionTest,
    ::testing::Values(RouteCase{"/a/p.png", Route::Image}, RouteCase{"/a/p.JPEG", Route::Image},
                      RouteCase{"/a/photo.jpeg", Route::Image}, RouteCase{"/a/p.Jpg", Route::Image},
                      RouteCase{"/a/p.bmp", Route::Image}, RouteCase{"/a/p.wmf", Route::Image},
                      RouteCase{"/a/p.ico", Route::Image}, RouteCase{"/a/p.EMF", Route::Image},
                      RouteCase{"/a/p.tif", Route::Shell}, RouteCase{"/a/x.pdf", Route::Pdf},
                      RouteCase{"/a/x.doc", Route::Word}, RouteCase{"/a/x.RTF", Route::Word},
                      RouteCase{"/a/x.xls", Route::Excel}, RouteCase{"/a/x.htm", Route::Browser},
                      RouteCase{"/a/page.html", Route::Browser},
                      RouteCase{"/a/notes.xml", Route::PlainText},
                      RouteCase{"/a/README.TXT", Route::PlainText},
                      RouteCase{"/a/letter.docx", Route::Shell}, // suffix OCX
                      RouteCase{"/a/book.xlsx", Route::Shell}, RouteCase{"/a/x", Route::Shell}));

TEST(ImageRouteTest, APictureThatFitsKeepsOneUnitPerPixelAtTheTopLeft)
{
    EXPECT_EQ(ImageRoute::placement({200, 100}, {595, 842}), QRectF(0, 0, 200, 100));
    EXPECT_EQ(ImageRoute::placement({595, 842}, {595, 842}), QRectF(0, 0, 595, 842));
}

TEST(ImageRouteTest, ALargerPictureIsScaledDownKeepingItsProportions)
{
    const QRectF wide = ImageRoute::placement({2000, 1000}, {595, 842});
    EXPECT_DOUBLE_EQ(wide.width(), 595);
    EXPECT_DOUBLE_EQ(wide.height(), 297.5);
    const QRectF scan = ImageRoute::placement({2480, 3508}, {595, 842});
    EXPECT_DOUBLE_EQ(scan.width(), 595);
    EXPECT_LE(scan.height(), 842);
    EXPECT_NEAR(scan.width() / scan.height(), 2480.0 / 3508.0, 1e-9);
    EXPECT_EQ(scan.topLeft(), QPointF(0, 0));
}

TEST(ImageRouteTest, LoadsShowsAndPrintsThePictureAsOneJob)
{
    RunHarness<FakePdfPrinter> h;
    const QString path = h.makePicture("p.bmp", {30, 20}, "BMP");
    EXPECT_FALSE(h.images.LoadImageDocument(h.makeFile("p.tif")));
    ASSERT_TRUE(h.images.LoadImageDocument(path));
    EXPECT_EQ(h.form.picturesShown, 1);
    h.images.PrintLoadedImage("/t/p.PDF");
    ASSERT_EQ(h.printer.jobs.size(), 1);
    EXPECT_EQ(h.printer.jobs[0].title, "/t/p.PDF");
    EXPECT_EQ(h.printer.jobs[0].pictures, QList<QRectF>{QRectF(0, 0, 30, 20)});
    EXPECT_EQ(h.printer.jobs[0].pictureFiles, QStringList{path});
    EXPECT_EQ(h.clock.pauses, QList<int>{3000});
}

// A picture checked ahead of its turn is checked again when the file changed since.
TEST(ImageRouteTest, APictureChangedAfterItsCheckStartedIsCheckedAgain)
{
    RunHarness<FakePdfPrinter> h;
    const QString path = h.makePicture("p.png", {30, 20}, "PNG");
    h.images.prepare(path);
    ASSERT_TRUE(h.images.LoadImageDocument(path));
    EXPECT_TRUE(h.dialogs.shown.isEmpty());

    h.images.prepare(path);
    h.makeFile("p.png", "not a picture any more");
    ASSERT_TRUE(h.images.LoadImageDocument(path));
    EXPECT_EQ(h.dialogs.shown.size(), 1);
    EXPECT_FALSE(h.images.PrintLoadedImage("/t/p.PDF"));
}

TEST(ImageRouteTest, AnUnreadablePictureIsReportedAndNotPrinted)
{
    // Not a picture at all, and a JPEG whose header breaks off.
    for (const auto& [name, bytes] : {std::pair{"broken.png", QByteArray("not a picture")},
                                      std::pair{"cut.jpg", QByteArray("\xFF\xD8\xFF\xE0\x00")}}) {
        RunHarness<FakePdfPrinter> h;
        const QString path = h.makeFile(name, bytes);
        ASSERT_TRUE(h.images.LoadImageDocument(path));
        ASSERT_EQ(h.dialogs.shown.size(), 1) << name;
        EXPECT_TRUE(h.dialogs.shown[0].text.startsWith("Error loading Image " + path + " "));
        EXPECT_EQ(h.form.picturesShown, 0);
        EXPECT_FALSE(h.images.PrintLoadedImage("/t/broken.PDF"));
        EXPECT_TRUE(h.printer.callsStartingWith("beginDocument").isEmpty());
    }
}

class FakeOffice final : public DocumentRenderer
{
public:
    void renderToPdf(Route route, const DocumentSource& document, const QString& pdf) override
    {
        rendered.append(document.path);
        EXPECT_EQ(route, Route::Shell);
        if (document.path.endsWith("broken.odt"))
            throw RenderError("the office could not open broken.odt");
        QFile file(pdf);
        file.open(QIODevice::WriteOnly);
        file.write("%PDF-1.7\n");
    }
    QStringList rendered;
};

TEST(RendererRoutesTest, AJobThePrinterCouldNotSaveFailsWithoutASecondMessage)
{
    RunHarness<FakePdfPrinter> h;
    FakeOffice office;
    PrintHandlerTable table(
        h.printer, office, [](const QString&) { return true; }, kFakePictureCheck);
    RendererRoutes routes(h.printer, h.printer, office, table, h.dialogs);
    h.printer.writeFiles = true;
    h.printer.options["Save Folder"] = h.inPath("missing-folder");
    const QString memo = h.makeFile("memo.odt");
    EXPECT_EQ(routes.print(Route::Shell, DocumentNames::of(memo)), RouteOutcome::Failed);
    EXPECT_TRUE(h.dialogs.shown.isEmpty());

    // A document the office cannot lay out is the route's to report.
    const QString broken = h.makeFile("broken.odt");
    EXPECT_EQ(routes.print(Route::Shell, DocumentNames::of(broken)), RouteOutcome::Failed);
    ASSERT_EQ(h.dialogs.shown.size(), 1);
    EXPECT_TRUE(h.dialogs.shown[0].text.contains("broken.odt"));
}

TEST(PrintHandlerTableTest, SendsEachTypeToItsHandler)
{
    RunHarness<FakePdfPrinter> h;
    FakeOffice office;
    PrintHandlerTable table(
        h.printer, office, [](const QString& path) { return path.endsWith(".odt"); },
        kFakePictureCheck);

    EXPECT_EQ(table.print(h.makePicture("a.tif", {40, 30}, "TIFF"), "/t/a.PDF"),
              PrintHandlerTable::kStarted);
    EXPECT_EQ(table.print(h.makePicture("b.webp", {40, 30}, "WEBP"), "/t/b.PDF"),
              PrintHandlerTable::kStarted);
    EXPECT_EQ(table.print(h.makeFile("c.odt"), "/t/c.PDF"), PrintHandlerTable::kStarted);
    EXPECT_EQ(table.print(h.makeFile("d.xyz"), "/t/d.PDF"), PrintHandlerTable::kNoAssociation);

    ASSERT_EQ(h.printer.jobs.size(), 3);
    EXPECT_EQ(h.printer.jobs[0].pictures, QList<QRectF>{QRectF(0, 0, 40, 30)});
    EXPECT_EQ(h.printer.jobs[1].title, "/t/b.PDF");
    EXPECT_TRUE(h.printer.jobs[2].rendered);
    EXPECT_EQ(h.printer.jobs[2].title, "/t/c.PDF");
    EXPECT_EQ(office.rendered, QStringList{h.inPath("c.odt")});
}

// A bilevel TIFF of white pixels, deflated: a few kilobytes on disk, one bit a pixel decoded.
QByteArray bilevelTiff(quint32 width, quint32 height)
{
    const QByteArray strip = qCompress(QByteArray(qsizetype(height) * ((width + 7) / 8), 0)).mid(4);
    const auto tag = [](quint16 id, quint16 type, quint32 value) {
        QByteArray entry(12, 0);
        qToLittleEndian(id, entry.data());
        qToLittleEndian(type, entry.data() + 2);
        qToLittleEndian(quint32(1), entry.data() + 4);
        if (type == 3)
            qToLittleEndian(quint16(value), entry.data() + 8);
        else
            qToLittleEndian(value, entry.data() + 8);
        return entry;
    };
    const quint16 kShort = 3, kLong = 4;
    const QList<QByteArray> tags = {tag(256, kLong, width),
                                    tag(257, kLong, height),
                                    tag(258, kShort, 1),
                                    tag(259, kShort, 8), // deflate
                                    tag(262, kShort, 0),
                                    tag(273, kLong, 0),
                                    tag(277, kShort, 1),
                                    tag(278, kLong, height),
                                    tag(279, kLong, quint32(strip.size()))};
    QByteArray ifd(2, 0);
    qToLittleEndian(quint16(tags.size()), ifd.data());
    for (const QByteArray& t : tags)
        ifd += t;
    ifd += QByteArray(4, 0); // no further directory
    QByteArray tiff("II*\0\x08\0\0\0", 8);
    const quint32 stripAt = quint32(tiff.size() + ifd.size());
    qToLittleEndian(stripAt, ifd.data() + 2 + 5 * 12 + 8); // StripOffsets
    return tiff + ifd + strip;
}

TEST(PrintHandlerTableTest, APictureOverThePixelBoundIsRefusedBeforeItIsDecoded)
{
    // 240 million pixels, 30 MB decoded. Qt's own limit (128 MB at 4 bytes a pixel) would stop
    // it too, but it may be raised (QT_IMAGEIO_MAXALLOC): the bound must hold on its own.
    const int qtLimit = QImageReader::allocationLimit();
    QImageReader::setAllocationLimit(1024);
    RunHarness<FakePdfPrinter> h;
    FakeOffice office;
    PrintHandlerTable table(
        h.printer, office, [](const QString&) { return false; }, kFakePictureCheck);
    const QString path = h.makeFile("sheet.tif", bilevelTiff(20000, 12000));
    try {
        table.print(path, "/t/sheet.PDF");
        ADD_FAILURE() << "printed";
    } catch (const RenderError& error) {
        const QString text = QString::fromUtf8(error.what());
        EXPECT_TRUE(text.contains(path) && text.contains("20000 x 12000 pixels")) << error.what();
    }
    EXPECT_TRUE(h.printer.callsStartingWith("beginDocument").isEmpty());
    QImageReader::setAllocationLimit(qtLimit);
}

TEST(PrintHandlerTableTest, AHandlerThatFailsIsAnErrorNotASuccessAndNotUnassociated)
{
    RunHarness<FakePdfPrinter> h;
    FakeOffice office;
    PrintHandlerTable table(
        h.printer, office, [](const QString&) { return true; }, kFakePictureCheck);
    EXPECT_THROW(table.print(h.makeFile("broken.odt"), "/t/broken.PDF"), RenderError);
    EXPECT_TRUE(h.printer.jobs.isEmpty());

    // A job the printer could not save: the printer reports it, the table only says so.
    h.printer.writeFiles = true;
    h.printer.options["Save Folder"] = h.inPath("missing-folder");
    EXPECT_THROW(table.print(h.makeFile("memo.odt"), "/t/memo.PDF"), JobNotSaved);
    EXPECT_THROW(table.print(h.makePicture("p.tif", {4, 4}, "TIFF"), "/t/p.PDF"), JobNotSaved);
}

} // namespace
