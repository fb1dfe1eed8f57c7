// Promise: what a run prints of a document is the file it opened, once; a document of a folder
// others may write to cannot be swapped for a link to a private file while the run works, and a
// file's name cannot make the program draw a drawing (SVG) itself, whatever the name says.
#include "conversion/PrintHandlerTable.h"
#include "tests/conversion/RunHarness.h"
#include "tests/support/FakePdfPrinter.h"
#include "tests/support/TestProgress.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <functional>
#include <gtest/gtest.h>
#include <zlib.h>

namespace {

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Lays documents out ahead as the office does: what was prepared is read while the run converts
// the document before it, which is when the attacker acts.
class ReadingAheadRenderer final : public DocumentRenderer
{
public:
    void prepare(Route, const DocumentSource& document) override
    {
        m_prepared.insert(document.path, document.readable);
    }
    void renderToPdf(Route, const DocumentSource& document, const QString& pdf, Progress&) override
    {
        if (std::exchange(m_first, false)) {
            whileTheFirstConverts();
            for (auto ahead = m_prepared.cbegin(); ahead != m_prepared.cend(); ++ahead)
                if (ahead.key() != document.path)
                    read.insert(ahead.key(), contents(ahead.value()));
            afterwards();
        }
        if (!read.contains(document.path))
            read.insert(document.path, contents(document.readable));
        QFile file(pdf);
        file.open(QIODevice::WriteOnly);
        file.write("%PDF-1.7\n");
    }

    std::function<void()> whileTheFirstConverts = [] {};
    std::function<void()> afterwards = [] {};
    QHash<QString, QByteArray> read; // what was read of each document, by its listed path

private:
    QHash<QString, QString> m_prepared;
    bool m_first = true;
};

// A file of the user's own, outside the folder others write to.
QString privateFile(const QByteArray& content)
{
    static QTemporaryDir home;
    QFile file(home.filePath("private.txt"));
    file.open(QIODevice::WriteOnly);
    file.write(content);
    return file.fileName();
}

TEST(OpenedDocumentsTest, ADocumentSwappedForALinkDuringTheRunPrintsWhatWasOpened)
{
    const struct
    {
        const char* why;
        bool swappedBack;
    } cases[] = {{"swapped back before its turn", true}, {"still a link at its turn", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        RunHarness<FakePdfPrinter> h;
        h.batchMode();
        const QString secret = privateFile("the secret");
        const QString report = h.makeFile("report.rtf", "the report");
        h.add(h.makeFile("a.doc", "first"));
        h.add(report);
        ReadingAheadRenderer office;
        const QString kept = report + ".kept";
        office.whileTheFirstConverts = [&] {
            ASSERT_TRUE(QFile::rename(report, kept));
            ASSERT_TRUE(QFile::link(secret, report));
        };
        office.afterwards = [&] {
            if (c.swappedBack) {
                QFile::remove(report);
                QFile::rename(kept, report);
            }
        };
        ASSERT_EQ(h.runWith(office), RunEnd::Finished);
        EXPECT_EQ(office.read.value(report), "the report");
        EXPECT_TRUE(h.logLines().contains("report.rtf file successfully converted"))
            << h.logLines().join('\n').toStdString();
    }
}

TEST(OpenedDocumentsTest, ALinkInTheFolderIsNeitherOpenedNorPrinted)
{
    RunHarness<FakePdfPrinter> h;
    h.batchMode();
    const QString secret = privateFile("the secret");
    const QString link = h.inPath("report.rtf");
    ASSERT_TRUE(QFile::link(secret, link));
    h.add(link);
    ReadingAheadRenderer office;
    ASSERT_EQ(h.runWith(office), RunEnd::Finished);
    EXPECT_TRUE(office.read.isEmpty());
    EXPECT_TRUE(h.logLines().contains("report.rtf is not a regular file.  Skipping file"));
}

QByteArray gzip(const QByteArray& data)
{
    z_stream stream = {};
    deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    QByteArray out(int(deflateBound(&stream, uLong(data.size()))), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
    stream.avail_in = uInt(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = uInt(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(int(stream.total_out));
    deflateEnd(&stream);
    return out;
}

class NamingRenderer final : public DocumentRenderer
{
public:
    void renderToPdf(Route, const DocumentSource& document, const QString& pdf, Progress&) override
    {
        rendered.append(QFileInfo(document.path).fileName());
        QFile file(pdf);
        file.open(QIODevice::WriteOnly);
        file.write("%PDF-1.7\n");
    }
    QStringList rendered;
};

// An SVG drawing names other files to draw, from anywhere on the disk; Qt would draw it inside
// the program. Whatever its name, it goes to the confined renderer; a flat office file, which Qt
// takes for a drawing, still goes to the office, and a real picture to the canvas.
TEST(OpenedDocumentsTest, TheShellRoutePrintsAFileAsWhatItsBytesAre)
{
    const QByteArray svg = "<?xml version=\"1.0\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" "
                           "xmlns:xlink=\"http://www.w3.org/1999/xlink\" width=\"100\" "
                           "height=\"100\"><image xlink:href=\"/etc/secret.png\" width=\"50\" "
                           "height=\"50\"/></svg>\n";
    const QByteArray flatText =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<office:document "
        "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
        "xmlns:svg=\"urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0\" "
        "office:mimetype=\"application/vnd.oasis.opendocument.text\"><office:body><office:text/>"
        "</office:body></office:document>\n";
    QByteArray bmp;
    QBuffer buffer(&bmp);
    QImage(8, 8, QImage::Format_RGB32).save(&buffer, "BMP");

    const struct
    {
        const char* name;
        QByteArray bytes;
        const char* printedBy;
    } cases[] = {
        {"invoice.gif", svg, "drawings"},     {"report.docx", svg, "drawings"},
        {"logo.svgz", gzip(svg), "drawings"}, {"plain.svg", svg, "drawings"},
        {"notes.fodt", flatText, "office"},   {"photo.tif", bmp, "canvas"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RunHarness<FakePdfPrinter> h;
        NamingRenderer office;
        NamingRenderer drawings;
        const auto officeImports = [](const QString& path, const QMimeType&) {
            return path.endsWith(".docx") || path.endsWith(".fodt");
        };
        PrintHandlerTable table(h.printer, office, officeImports, kFakePictureCheck, &drawings);
        const QString path = h.makeFile(c.name, c.bytes);
        EXPECT_EQ(table.print(path, "/t/x.PDF", unwatched()).outcome, RouteOutcome::Printed);
        const QString by = !drawings.rendered.isEmpty() ? "drawings"
                           : !office.rendered.isEmpty() ? "office"
                           : !h.printer.jobs.isEmpty() && !h.printer.jobs[0].pictures.isEmpty()
                               ? "canvas"
                               : "nobody";
        EXPECT_EQ(by, c.printedBy);
    }
}

TEST(OpenedDocumentsTest, ADrawingNamedAsAPictureIsRefusedByThePictureRoute)
{
    RunHarness<FakePdfPrinter> h;
    const QString path = h.makeFile("scan.png", "<svg xmlns=\"http://www.w3.org/2000/svg\" "
                                                "width=\"9\" height=\"9\"></svg>");
    ASSERT_TRUE(h.images.LoadImageDocument(path));
    EXPECT_EQ(h.images.lastError(), "The file holds a drawing (SVG), not a picture");
    EXPECT_FALSE(h.images.PrintLoadedImage("/t/scan.PDF", unwatched()));
    // The run tells the user.
    h.add(path);
    h.run();
    ASSERT_EQ(h.dialogs.shown.size(), 1);
    EXPECT_EQ(h.dialogs.shown[0].text,
              "Error loading Image " + path + " The file holds a drawing (SVG), not a picture");
    EXPECT_TRUE(h.printer.callsStartingWith("beginDocument").isEmpty());
}

} // namespace
