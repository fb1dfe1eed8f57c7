#include "conversion/DocumentNames.h"
#include "conversion/ImageRoute.h"
#include "conversion/PrintHandlerTable.h"
#include "conversion/RouteTable.h"
#include "tests/conversion/RunHarness.h"
#include "tests/support/FakePdfPrinter.h"
#include "tests/support/TestProgress.h"

#include <QImageReader>
#include <QtEndian>
#include <gtest/gtest.h>

namespace {

struct RouteCase
{
    const char* path;
    Route route;
};

class RouteTableRulesTest : public ::testing::TestWithParam<RouteCase>
{
};

TEST_P(RouteTableRulesTest, FirstMatchingRuleWins)
{
    EXPECT_EQ(RouteTable::routeOf(GetParam().path), GetParam().route) << GetParam().path;
}

INSTANTIATE_TEST_SUITE_P(
    Table, RouteTableRulesTest,
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
                      RouteCase{"/a/book.xlsx", Route::Shell}, RouteCase{"/a/x", Route::Shell},
                      // An ending is compared with as many characters as it has, or the whole
                      // of a shorter path.
                      RouteCase{"pdf", Route::Pdf}, RouteCase{"PNG", Route::Shell},
                      RouteCase{"/a/x.shtml", Route::Browser}));

// The office is started ahead for the rows it will lay out: its own routes' documents, and on the
// shell route what it imports by name; its import check applies to the shell route only.
TEST(RouteTableTest, TheOfficeIsNeededForItsRoutesAndForWhatItImportsOnTheShellRoute)
{
    QStringList asked;
    const RouteTable::OfficeImports imports = [&asked](const QString& path, const QMimeType&) {
        asked.append(path);
        return path.endsWith(".odt") || path.endsWith(".html") || path.endsWith(".xml");
    };
    const struct
    {
        const char* path;
        bool needed;
    } cases[] = {{"/a/x.doc", true},  {"/a/x.RTF", true},  {"/a/x.xls", true},
                 {"/a/x.odt", true},  {"/a/x.xyz", false}, {"/a/x.html", false},
                 {"/a/x.xml", false}, {"/a/x.png", false}, {"/a/x.pdf", false}};
    for (const auto& c : cases)
        EXPECT_EQ(RouteTable::needsOffice(c.path, imports), c.needed) << c.path;
    EXPECT_EQ(asked, (QStringList{"/a/x.odt", "/a/x.xyz"}));
    // Without the office's check only its own routes need it.
    EXPECT_TRUE(RouteTable::needsOffice("/a/x.doc", {}));
    EXPECT_FALSE(RouteTable::needsOffice("/a/x.odt", {}));
}

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
    h.images.PrintLoadedImage("/t/p.PDF", unwatched());
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
    EXPECT_TRUE(h.images.lastError().isEmpty());

    h.images.prepare(path);
    h.makeFile("p.png", "not a picture any more");
    ASSERT_TRUE(h.images.LoadImageDocument(path));
    EXPECT_FALSE(h.images.lastError().isEmpty());
    EXPECT_FALSE(h.images.PrintLoadedImage("/t/p.PDF", unwatched()));
}

TEST(ImageRouteTest, AnUnreadablePictureIsReportedAndNotPrinted)
{
    // Not a picture at all, and a JPEG whose header breaks off.
    for (const auto& [name, bytes] : {std::pair{"broken.png", QByteArray("not a picture")},
                                      std::pair{"cut.jpg", QByteArray("\xFF\xD8\xFF\xE0\x00")}}) {
        RunHarness<FakePdfPrinter> h;
        const QString path = h.makeFile(name, bytes);
        ASSERT_TRUE(h.images.LoadImageDocument(path));
        EXPECT_FALSE(h.images.PrintLoadedImage("/t/broken.PDF", unwatched()));
        const RouteResult result = h.images.print(path, "/t/broken.PDF", unwatched());
        EXPECT_EQ(result.outcome, RouteOutcome::Failed) << name;
        EXPECT_FALSE(result.reason.isEmpty());
        EXPECT_FALSE(result.printerReports) << "the printer has nothing to report";
        EXPECT_EQ(h.form.picturesShown, 0);
        EXPECT_TRUE(h.printer.callsStartingWith("beginDocument").isEmpty());
        // The run tells the user, once.
        h.add(path);
        h.run();
        ASSERT_EQ(h.dialogs.shown.size(), 1) << name;
        EXPECT_TRUE(h.dialogs.shown[0].text.startsWith("Error loading Image " + path + " "));
        EXPECT_EQ(h.dialogs.shown[0].text, "Error loading Image " + path + " " + result.reason);
        EXPECT_EQ(h.list.status(0), "Error");
        EXPECT_TRUE(h.printer.callsStartingWith("beginDocument").isEmpty());
    }
}

class FakeOffice final : public DocumentRenderer
{
public:
    void renderToPdf(Route route, const DocumentSource& document, const QString& pdf,
                     Progress&) override
    {
        rendered.append(document.path);
        EXPECT_EQ(route, Route::Shell);
        if (document.path.endsWith("broken.odt"))
            throw RenderError("the office could not open broken.odt");
        QFile file(pdf);
        file.open(QIODevice::WriteOnly);
        file.write("%PDF-1.7\n");
    }
    void prepare(Route, const DocumentSource& document) override
    {
        prepared.append(QFileInfo(document.path).fileName());
    }
    QStringList rendered;
    QStringList prepared;
};

// The office starts on a document ahead only when the route will hand it over.
TEST(RoutesTest, TheShellAndPictureRoutesHaveTheOfficePrepareOnlyWhatIsItsToLayOut)
{
    RunHarness<FakePdfPrinter> h;
    FakeOffice office;
    PrintHandlerTable shell(
        h.printer, office,
        [](const QString& path, const QMimeType&) { return path.endsWith(".odt"); },
        kFakePictureCheck);
    ImageRoute pictures(h.printer, h.form, h.clock, kFakePictureCheck, &office);
    shell.prepare(h.makeFile("memo.odt"));
    shell.prepare(h.makePicture("fax.tif", {40, 30}, "TIFF"));
    shell.prepare(h.makeFile("notes.md", "# Notes\n"));
    pictures.prepare(h.makeFile("logo.wmf", QByteArray(64, '\x01')));
    pictures.prepare(h.makePicture("photo.png", {40, 30}, "PNG"));
    EXPECT_EQ(office.prepared, (QStringList{"memo.odt", "logo.wmf"}));
}

TEST(RoutesTest, AJobThePrinterCouldNotSaveFailsWithoutASecondMessage)
{
    RunHarness<FakePdfPrinter> h;
    FakeOffice office;
    auto table = std::make_unique<PrintHandlerTable>(
        h.printer, office, [](const QString&, const QMimeType&) { return true; },
        kFakePictureCheck);
    PrintHandlerTable& shell = *table;
    RouteTable routes = h.routesWith({.shell = std::move(table)});
    h.printer.writeFiles = true;
    h.printer.options["Save Folder"] = h.inPath("missing-folder");
    const QString memo = h.makeFile("memo.odt");
    const RouteResult notSaved = shell.print(memo, "/t/memo.PDF", unwatched());
    EXPECT_EQ(notSaved.outcome, RouteOutcome::Failed);
    EXPECT_TRUE(notSaved.printerReports);

    // A document the office cannot lay out is the route's to report.
    const QString broken = h.makeFile("broken.odt");
    const RouteResult failed = shell.print(broken, "/t/broken.PDF", unwatched());
    EXPECT_EQ(failed.outcome, RouteOutcome::Failed);
    EXPECT_FALSE(failed.printerReports);

    // The run tells the user of the second only.
    h.printer.failSaves = true;
    h.add(memo);
    h.add(broken);
    h.runWith(routes);
    EXPECT_EQ(h.list.status(h.list.findPath(memo)), "Error");
    EXPECT_EQ(h.list.status(h.list.findPath(broken)), "Error");
    ASSERT_EQ(h.dialogs.shown.size(), 1);
    EXPECT_TRUE(h.dialogs.shown[0].text.contains("broken.odt"));
}

TEST(PrintHandlerTableTest, SendsEachTypeToItsHandler)
{
    RunHarness<FakePdfPrinter> h;
    FakeOffice office;
    PrintHandlerTable table(
        h.printer, office,
        [](const QString& path, const QMimeType&) { return path.endsWith(".odt"); },
        kFakePictureCheck);

    EXPECT_EQ(
        table.print(h.makePicture("a.tif", {40, 30}, "TIFF"), "/t/a.PDF", unwatched()).outcome,
        RouteOutcome::Printed);
    EXPECT_EQ(
        table.print(h.makePicture("b.webp", {40, 30}, "WEBP"), "/t/b.PDF", unwatched()).outcome,
        RouteOutcome::Printed);
    EXPECT_EQ(table.print(h.makeFile("c.odt"), "/t/c.PDF", unwatched()).outcome,
              RouteOutcome::Printed);
    EXPECT_EQ(
        table.print(h.makeFile("d.xyz", QByteArray(16, '\x01')), "/t/d.PDF", unwatched()).outcome,
        RouteOutcome::Unassociated);

    ASSERT_EQ(h.printer.jobs.size(), 3);
    EXPECT_EQ(h.printer.jobs[0].pictures, QList<QRectF>{QRectF(0, 0, 40, 30)});
    EXPECT_EQ(h.printer.jobs[1].title, "/t/b.PDF");
    EXPECT_TRUE(h.printer.jobs[2].rendered);
    EXPECT_EQ(h.printer.jobs[2].title, "/t/c.PDF");
    EXPECT_EQ(office.rendered, QStringList{h.inPath("c.odt")});
}

// A bilevel TIFF of white pixels, deflated, one page of each size: a few kilobytes on disk,
// one bit a pixel decoded.
QByteArray bilevelTiff(const QList<QSize>& pages)
{
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
    QByteArray tiff("II*\0\x08\0\0\0", 8);
    for (qsizetype page = 0; page < pages.size(); ++page) {
        const auto width = quint32(pages[page].width());
        const auto height = quint32(pages[page].height());
        const QByteArray strip =
            qCompress(QByteArray(qsizetype(height) * ((width + 7) / 8), 0)).mid(4);
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
        ifd += QByteArray(4, 0); // the next directory, if any
        const auto stripAt = quint32(tiff.size() + ifd.size());
        qToLittleEndian(stripAt, ifd.data() + 2 + 5 * 12 + 8); // StripOffsets
        const bool last = page + 1 == pages.size();
        const auto nextAt = quint32(stripAt + strip.size());
        if (!last)
            qToLittleEndian(nextAt + (nextAt & 1), ifd.data() + ifd.size() - 4);
        tiff += ifd + strip;
        if (!last && (tiff.size() & 1))
            tiff += '\0'; // directories start on a word boundary
    }
    return tiff;
}

QByteArray bilevelTiff(quint32 width, quint32 height)
{
    return bilevelTiff({QSize(int(width), int(height))});
}

// Each type goes where its bytes say, whatever its name: text to the text route, what the office
// reads to the office, and a name alone makes nothing printable.
TEST(PrintHandlerTableTest, ADocumentGoesWhereItsContentSays)
{
    struct Case
    {
        const char* name;
        QByteArray bytes;
        const char* by; // "text", "office", or "" for no handler
    };
    const QByteArray gnumeric = QByteArray::fromHex("1f8b0800000000000003") + QByteArray(20, 'x');
    const Case cases[] = {
        {"README.md", "# Title\n\nSome *text*.\n", "text"},
        {"places.kml",
         "<?xml version=\"1.0\"?>\n<kml xmlns=\"http://www.opengis.net/kml/2.2\">"
         "<Placemark/></kml>\n",
         "text"},
        {"style.xsl",
         "<?xml version=\"1.0\"?>\n<xsl:stylesheet version=\"1.0\" xmlns:xsl="
         "\"http://www.w3.org/1999/XSL/Transform\"/>\n",
         "text"},
        {"tool.py", "print('hello')\n", "text"},
        {"sheet.gnumeric", gnumeric, "office"},
        {"disguised.md", QByteArray::fromHex("d0cf11e0a1b11ae1") + QByteArray(504, '\0'), ""},
        {"binary.md",
         QByteArray("\x7f"
                    "ELF\x02\x01\x01\0",
                    8) +
             QByteArray(64, '\0'),
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RunHarness<FakePdfPrinter> h;
        FakeOffice office;
        PrintHandlerTable table(
            h.printer, office,
            [](const QString& path, const QMimeType&) { return path.endsWith(".gnumeric"); },
            kFakePictureCheck);
        const RouteOutcome result =
            table.print(h.makeFile(c.name, c.bytes), "/t/x.PDF", unwatched()).outcome;
        const QString by = !office.rendered.isEmpty() ? "office"
                           : !h.printer.jobs.isEmpty() && !h.printer.jobs[0].lines.isEmpty()
                               ? "text"
                               : "";
        EXPECT_EQ(by, c.by);
        EXPECT_EQ(result, by.isEmpty() ? RouteOutcome::Unassociated : RouteOutcome::Printed);
    }
}

TEST(PrintHandlerTableTest, EachPageOfATiffIsAPageOfItsOwn)
{
    RunHarness<FakePdfPrinter> h;
    FakeOffice office;
    PrintHandlerTable table(
        h.printer, office, [](const QString&, const QMimeType&) { return false; },
        kFakePictureCheck);
    const QString fax = h.makeFile("fax.tif", bilevelTiff({{40, 30}, {30, 40}, {20, 20}}));
    EXPECT_EQ(table.print(fax, "/t/fax.PDF", unwatched()).outcome, RouteOutcome::Printed);
    ASSERT_EQ(h.printer.jobs.size(), 1);
    EXPECT_EQ(h.printer.jobs[0].pages, 3);
    EXPECT_EQ(h.printer.jobs[0].pictures,
              (QList<QRectF>{{0, 0, 40, 30}, {0, 0, 30, 40}, {0, 0, 20, 20}}));
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
        h.printer, office, [](const QString&, const QMimeType&) { return false; },
        kFakePictureCheck);
    const QString path = h.makeFile("sheet.tif", bilevelTiff(20000, 12000));
    const RouteResult result = table.print(path, "/t/sheet.PDF", unwatched());
    EXPECT_EQ(result.outcome, RouteOutcome::Failed) << "printed";
    EXPECT_FALSE(result.printerReports);
    const QString& text = result.reason;
    EXPECT_TRUE(text.contains(path) && text.contains("20000 x 12000 pixels")) << text.toStdString();
    EXPECT_TRUE(h.printer.callsStartingWith("beginDocument").isEmpty());
    QImageReader::setAllocationLimit(qtLimit);
}

TEST(PrintHandlerTableTest, AHandlerThatFailsIsAnErrorNotASuccessAndNotUnassociated)
{
    RunHarness<FakePdfPrinter> h;
    FakeOffice office;
    PrintHandlerTable table(
        h.printer, office, [](const QString&, const QMimeType&) { return true; },
        kFakePictureCheck);
    const RouteResult broken = table.print(h.makeFile("broken.odt"), "/t/broken.PDF", unwatched());
    EXPECT_EQ(broken.outcome, RouteOutcome::Failed);
    EXPECT_EQ(broken.reason, "the office could not open broken.odt");
    EXPECT_FALSE(broken.printerReports);
    EXPECT_TRUE(h.printer.jobs.isEmpty());

    // A job the printer could not save: the printer reports it, the table only says so.
    h.printer.writeFiles = true;
    h.printer.options["Save Folder"] = h.inPath("missing-folder");
    for (const auto& [path, title] :
         {std::pair{h.makeFile("memo.odt"), "/t/memo.PDF"},
          std::pair{h.makePicture("p.tif", {4, 4}, "TIFF"), "/t/p.PDF"}}) {
        const RouteResult notSaved = table.print(path, title, unwatched());
        EXPECT_EQ(notSaved.outcome, RouteOutcome::Failed) << title;
        EXPECT_TRUE(notSaved.printerReports) << title;
    }
}

} // namespace
