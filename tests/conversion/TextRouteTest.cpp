// The plain-text route on the fake printer, where every character is 10 units wide, so 49 fit
// between the markup margins of an A4 page; and on the real printer, read back from the PDF.
#include "conversion/TextRoute.h"

#include "common/Progress.h"
#include "pdfprinter/PdfPrinter.h"
#include "platform/text/UchardetDetector.h"
#include "tests/conversion/RunHarness.h"
#include "tests/support/FakePdfPrinter.h"
#include "tests/support/PdfProbe.h"
#include "tests/support/TestProgress.h"

#include <QRegularExpression>
#include <QStringEncoder>
#include <gtest/gtest.h>

namespace {

struct TextJob
{
    QString write(const QByteArray& bytes)
    {
        const QString path = folder.filePath("doc.xml");
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        return path;
    }
    // The texts drawn, without their positions.
    QStringList print(const QByteArray& bytes, Progress& progress = unwatched())
    {
        PrintTextDocument(printer, write(bytes), "/t/doc.PDF", TextLook::Markup, &kUchardetDetector,
                          progress);
        QStringList texts;
        for (const QString& line : printer.jobs.last().lines)
            texts.append(line.section(':', 1));
        return texts;
    }
    bool called(const char* call) const { return printer.calls.contains(call); }

    QTemporaryDir folder;
    FakePdfPrinter printer;
};

TEST(TextRouteTest, DrawsRawLinesAt18PointsEvery38UnitsAndStartsNewPages)
{
    RunHarness<FakePdfPrinter> h;
    QByteArray text;
    for (int i = 1; i <= 45; ++i)
        text += "<line n=\"" + QByteArray::number(i) + "\"/>\n";
    PrintTextDocument(h.printer, h.makeFile("n.xml", text), "/t/n.PDF", TextLook::Markup, nullptr,
                      unwatched());
    ASSERT_EQ(h.printer.jobs.size(), 1);
    const auto& job = h.printer.jobs[0];
    EXPECT_EQ(h.printer.fontPoints, 18);
    ASSERT_EQ(job.lines.size(), 45);
    EXPECT_EQ(job.lines[0], "50,38:<line n=\"1\"/>");
    EXPECT_EQ(job.lines[1], "50,76:<line n=\"2\"/>");
    // 21 lines fit on an A4 page; line 22 starts the second page at the top again.
    EXPECT_EQ(job.lines[20], "50,798:<line n=\"21\"/>");
    EXPECT_EQ(job.lines[21], "50,38:<line n=\"22\"/>");
    EXPECT_EQ(job.pages, 3);
}

// Where a line's drawing starts: "x,y:text" as the fake printer records it.
QPointF TopLeftOf(const QString& line)
{
    const QStringList position = line.section(':', 0, 0).split(',');
    return {position[0].toDouble(), position[1].toDouble()};
}

TEST(TextRouteTest, PlainTextTakesTheEditorLookAndARightToLeftLineEndsAtTheRightMargin)
{
    TextJob job;
    QByteArray text;
    for (int i = 1; i <= 61; ++i)
        text += "line " + QByteArray::number(i) + "\n";
    text += "\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D abc\n"; // Hebrew first: right to left
    const QString path = job.folder.filePath("doc.txt");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
    file.close();
    PrintTextDocument(job.printer, path, "/t/doc.PDF", TextLookFor(path), &kUchardetDetector,
                      unwatched());

    EXPECT_EQ(job.printer.textFace, TextFace::Monospaced);
    EXPECT_EQ(job.printer.fontPoints, 10);
    const QStringList lines = job.printer.jobs.last().lines;
    ASSERT_EQ(lines.size(), 62);
    const double margin = 72 * 2 / 2.54;
    const double spacing = FakePdfPrinter::kLineSpacing;
    // 60 lines of the fake's spacing fit between the margins; the 61st starts page two.
    EXPECT_NEAR(TopLeftOf(lines[0]).x(), margin, 0.01);
    EXPECT_NEAR(TopLeftOf(lines[0]).y(), margin, 0.01);
    EXPECT_NEAR(TopLeftOf(lines[59]).y(), margin + 59 * spacing, 0.01);
    EXPECT_NEAR(TopLeftOf(lines[60]).y(), margin, 0.01);
    EXPECT_EQ(job.printer.jobs.last().pages, 2);
    // The fake's characters are 10 units wide: "שלום abc" is 80.
    EXPECT_NEAR(TopLeftOf(lines[61]).x(), 595 - margin - 80, 0.01);
    EXPECT_EQ(TextLookFor("/a/notes.XML"), TextLook::Markup);
}

struct WrapCase
{
    QByteArray text;
    QStringList drawn;
};

void PrintTo(const WrapCase& wrap, std::ostream* out)
{
    *out << wrap.text.left(30).toStdString();
}

class TextWrapTest : public ::testing::TestWithParam<WrapCase>
{
};

TEST_P(TextWrapTest, LongLinesWrapAfterTheLastBlankThatFitsAndTabsBecomeBlanks)
{
    TextJob job;
    EXPECT_EQ(job.print(GetParam().text).join('|').toStdString(),
              GetParam().drawn.join('|').toStdString());
    const QStringList lines = job.printer.jobs.last().lines;
    for (int i = 0; i < lines.size(); ++i) // one below the other, all at the left margin
        EXPECT_TRUE(lines[i].startsWith(QStringLiteral("50,%1:").arg(38 * (i + 1))))
            << lines[i].toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Table, TextWrapTest,
    ::testing::Values(
        // The blank after a full row hangs in the margin; the next row breaks after the last
        // blank that fits. A byte order mark is not text.
        WrapCase{"\xEF\xBB\xBF<line>Some words fill the row up to its last unit so the next "
                 "blank hangs in the margin, unseen.</line>\n",
                 {"<line>Some words fill the row up to its last unit",
                  "so the next blank hangs in the margin, ", "unseen.</line>"}},
        WrapCase{"a\tbc\td\n\t1234567\tx", {"a       bc      d", "        1234567 x"}},
        // A word wider than the row moves down, then is cut.
        WrapCase{"<k v=\"" + QByteArray(60, '0') + "\"/>",
                 {"<k ", "v=\"" + QString(46, u'0'), QString(14, u'0') + "\"/>"}}));

TEST(TextRouteTest, AHugeLineWithoutBlanksIsCutIntoFullRowsAcrossTheReadChunks)
{
    // The file is read in chunks of 64 KiB: "é" straddles the first edge, and a sequence the
    // second edge cuts off is invalid, so its byte reads as Latin-1 without taking the "y" after
    // it.
    const QByteArray bytes = QByteArray(65535, 'x') + "\xC3\xA9" + QByteArray(65534, 'x') + "\xE2" +
                             QByteArray(100, 'y');
    const QString text =
        QString(65535, u'x') + u'é' + QString(65534, u'x') + u'â' + QString(100, u'y');
    TextJob job;
    const QStringList drawn = job.print(bytes);
    EXPECT_TRUE(drawn.join(QString()) == text);
    EXPECT_EQ(drawn.size(), (text.size() + 48) / 49);
    for (const QString& row : drawn)
        ASSERT_LE(row.size(), 49);
    EXPECT_EQ(job.printer.jobs.last().pages, (drawn.size() + 20) / 21);
}

struct EncodingCase
{
    const char* what;
    QByteArray bytes;
    QStringList drawn;
};

void PrintTo(const EncodingCase& encoding, std::ostream* out)
{
    *out << encoding.what;
}

QByteArray Utf16WithMark(QStringConverter::Encoding encoding, const QString& text)
{
    return QStringEncoder(encoding, QStringConverter::Flag::WriteBom).encode(text);
}

class TextEncodingTest : public ::testing::TestWithParam<EncodingCase>
{
};

TEST_P(TextEncodingTest, ATextIsReadInItsOwnEncoding)
{
    TextJob job;
    EXPECT_EQ(job.print(GetParam().bytes), GetParam().drawn);
    EXPECT_TRUE(job.called("endDocument"));
}

INSTANTIATE_TEST_SUITE_P(
    Table, TextEncodingTest,
    ::testing::Values(
        EncodingCase{
            "UTF-8",
            "Z\xC3\xBCrich\n\xCE\x9A\xCE\xB1\xCE\xBB\xCE\xB7\xCE\xBC\xCE\xAD\xCF\x81\xCE\xB1\n"
            "\xE6\x9D\xB1\xE4\xBA\xAC \xF0\x9F\x93\x84",
            {"Zürich", "Καλημέρα", "東京 📄"}},
        EncodingCase{"UTF-8 with a byte order mark", "\xEF\xBB\xBFZ\xC3\xBCrich", {"Zürich"}},
        // Not UTF-8: each byte that fits no sequence is Latin-1, also inside a text that is
        // mostly UTF-8, and also where it starts a sequence that is overlong or the end of the
        // file cuts short.
        EncodingCase{"Latin-1", "Caf\xE9 cr\xE8me \xE0 2\xA0\xA3", {"Café crème à 2\u00A0£"}},
        EncodingCase{"a stray byte",
                     "Z\xC3\xBCrich Gen\xC3\xA8ve B\xC3\xBClach K\xC3\xBCsnacht Z\xC3\xA4h "
                     "\xE9t\xE9 \xC0\xAF",
                     {"Zürich Genève Bülach Küsnacht Zäh été À¯"}},
        EncodingCase{"a cut sequence", "caf\xC3", {"cafÃ"}},
        // Past the start of the file a byte order mark is a character, also right after a byte
        // read as Latin-1.
        EncodingCase{"a mark inside the text",
                     "Z\xC3\xBCrich\xE9\xEF\xBB\xBF!",
                     {"Z\u00FCrich\u00E9\uFEFF!"}},
        EncodingCase{"UTF-16LE",
                     Utf16WithMark(QStringConverter::Utf16LE, "Ελλάδα\n東京"),
                     {"Ελλάδα", "東京"}},
        EncodingCase{"UTF-16BE", Utf16WithMark(QStringConverter::Utf16BE, "Zürich"), {"Zürich"}},
        EncodingCase{"empty", "", {}}));

TEST(TextRouteTest, AFileThatCannotBeReadDropsTheJobAndThrows)
{
    // Opening fails; and reading fails (the start of a process's memory is never mapped).
    for (const char* path : {"/nonexistent/none.xml", "/proc/self/mem"}) {
        FakePdfPrinter printer;
        EXPECT_THROW(
            PrintTextDocument(printer, path, "/t/none.PDF", TextLook::Editor, nullptr, unwatched()),
            TextReadError)
            << path;
        EXPECT_TRUE(printer.calls.contains("abortDocument")) << path;
        EXPECT_FALSE(printer.calls.contains("endDocument")) << path;
    }
}

TEST(TextRouteTest, ADocumentPastThePageBoundIsDroppedNotPrinted)
{
    TextJob job;
    // Empty lines take their place on a page without being drawn: cheap pages.
    const QString path = job.write(QByteArray(22 * kMaxTextPages, '\n'));
    try {
        PrintTextDocument(job.printer, path, "/t/doc.PDF", TextLook::Markup, nullptr, unwatched());
        ADD_FAILURE() << "a document past the bound was printed";
    } catch (const TextReadError& error) {
        EXPECT_STREQ(error.what(), "it would take more than 20000 pages");
    }
    EXPECT_EQ(job.printer.jobs.last().pages, kMaxTextPages);
    EXPECT_TRUE(job.called("abortDocument"));
    EXPECT_FALSE(job.called("endDocument"));
}

// Reports pages as they are made, and asks to stop once the second one has begun.
class StopOnPageTwo final : public Progress
{
public:
    bool advance(int pagesDone) override
    {
        reported.append(pagesDone);
        return pagesDone < 2;
    }
    QList<int> reported;
};

TEST(TextRouteTest, ReportsEachPageAndAStopDropsTheJob)
{
    StopOnPageTwo progress;
    TextJob job;
    EXPECT_THROW(job.print(QByteArray("<line/>\n").repeated(45), progress), RunStopped);
    ASSERT_TRUE(progress.reported.contains(1));
    EXPECT_EQ(progress.reported.last(), 2);
    EXPECT_EQ(job.printer.jobs.last().lines.size(), 21); // nothing drawn after the stop
    EXPECT_TRUE(job.called("abortDocument"));
    EXPECT_FALSE(job.called("endDocument"));
}

TEST(TextRouteTest, ALongXmlLineIsWholeInThePdfText)
{
    RunHarness<PdfPrinter> h;
    h.printer.InitializeOptions("Corvanta", "Corvanta");
    h.printer.CreateProfile(kProfileName, 0);
    QByteArray line = "<order note=\"";
    for (int i = 0; i < 60; ++i)
        line += "word" + QByteArray::number(i) + " ";
    line += "\" code=\"" + QByteArray(150, '7') + "\"/>";
    h.add(h.makeFile("long.xml", "<orders>\n" + line + "\n</orders>\n"));
    ASSERT_EQ(h.run(), RunEnd::Finished);

    PdfProbe pdf(h.inPath("long.PDF"));
    ASSERT_TRUE(pdf.isOpen()) << pdf.error().toStdString();
    ASSERT_EQ(pdf.pageCount(), 1);
    const QRegularExpression blanks(QStringLiteral("\\s"));
    EXPECT_TRUE(pdf.pageTexts()[0].remove(blanks).contains(QString(line).remove(blanks)));
}

// A .txt row goes the text route on the real printer: the harness has no office renderer, so
// the shell route would leave it unconverted.
TEST(TextRouteTest, PlainTextFilesAreDrawnByTheTextRouteInTheirEncoding)
{
    RunHarness<PdfPrinter> h;
    h.printer.InitializeOptions("Corvanta", "Corvanta");
    h.printer.CreateProfile(kProfileName, 0);
    h.add(h.makeFile("latin1.txt", "Caf\xE9 au lait\tdeux euros\n"));
    h.add(h.makeFile("utf8.txt", "Z\xC3\xBCrich \xCE\x91\xCE\xB8\xCE\xAE\xCE\xBD\xCE\xB1\n"));
    ASSERT_EQ(h.run(), RunEnd::Finished);

    EXPECT_EQ(h.statusOf("latin1.txt"), DocumentList::kStatusCompleted);
    EXPECT_EQ(h.statusOf("utf8.txt"), DocumentList::kStatusCompleted);
    EXPECT_TRUE(PdfProbe(h.inPath("latin1.PDF")).pageTexts().join(' ').contains("Café au lait"));
    EXPECT_TRUE(PdfProbe(h.inPath("utf8.PDF")).pageTexts().join(' ').contains("Zürich Αθήνα"));
}

} // namespace

namespace {

// Plain text on the real printer: 80 columns and about 60 lines on an A4 page, as an editor
// prints them, in every script Debian has a face for.
TEST(TextRouteTest, EightyColumnsAndSixtyLinesFitOnAPageInEveryScript)
{
    RunHarness<PdfPrinter> h;
    h.printer.InitializeOptions("Corvanta", "Corvanta");
    h.printer.CreateProfile(kProfileName, 0);
    QByteArray columns;
    for (int i = 0; i < 8; ++i)
        columns += "abcdefghi" + QByteArray::number(i);
    QByteArray text;
    for (int i = 0; i < 120; ++i)
        text += columns + "\n";
    h.add(h.makeFile("columns.txt", text));
    // Bengali once took the characters after it along into black boxes; a character no face has
    // (private use) is a box of its own. Shaped Arabic reads back as its letters, not as
    // presentation forms.
    h.add(h.makeFile("scripts.txt", "<p>\xE0\xA6\xAC\xE0\xA6\xBE\xE0\xA6\x82\xE0\xA6\xB2"
                                    "\xE0\xA6\xBE</p> x\xEE\x80\x80y \xE0\xB8\x81\xE0\xB8\xB2"
                                    "\xE0\xB8\xA3 \xE1\x88\xB0\xE1\x88\x8B\xE1\x88\x9D\n"
                                    "\xD9\x85\xD8\xB1\xD8\xAD\xD8\xA8\xD8\xA7 "
                                    "\xD8\xA8\xD8\xA7\xD9\x84\xD8\xB9\xD8\xA7\xD9\x84\xD9\x85\n"));
    ASSERT_EQ(h.run(), RunEnd::Finished);

    PdfProbe pdf(h.inPath("columns.PDF"));
    ASSERT_EQ(pdf.pageCount(), 2);
    const QStringList firstPage = pdf.pageTexts()[0].split('\n', Qt::SkipEmptyParts);
    EXPECT_GE(firstPage.size(), 60);
    for (const QString& line : firstPage)
        ASSERT_EQ(line, QString::fromLatin1(columns)); // none wrapped

    const QString scripts = PdfProbe(h.inPath("scripts.PDF")).pageTexts().join(' ');
    EXPECT_TRUE(scripts.contains(QStringLiteral("<p>বাংলা</p>"))) << scripts.toStdString();
    EXPECT_TRUE(scripts.contains(QStringLiteral("x\u25A1y"))) << scripts.toStdString();
    EXPECT_TRUE(scripts.contains(QStringLiteral("การ"))) << scripts.toStdString();
    EXPECT_TRUE(scripts.contains(QStringLiteral("ሰላም"))) << scripts.toStdString();
    EXPECT_TRUE(scripts.contains(QStringLiteral("مرحبا"))) << scripts.toStdString();
    EXPECT_TRUE(scripts.contains(QStringLiteral("بالعالم"))) << scripts.toStdString();
}

struct EncodedText
{
    const char* name;
    QByteArray bytes;
    QString text; // what the PDF's text holds
};

QByteArray Encoded(const char* encoding, const QString& text)
{
    QStringEncoder encoder(encoding);
    EXPECT_TRUE(encoder.isValid()) << encoding;
    return encoder.encode(text);
}

// Each text in its encoding, through the real printer, read back with pdftotext.
TEST(TextRouteTest, LegacyAndUnicodeEncodingsPrintTheirOwnCharacters)
{
    const QString japanese = QStringLiteral("日本語のテキストです。東京は晴れています。");
    const QString chinese = QStringLiteral("這是一段繁體中文的文字。臺北今天天氣很好。");
    const QString russian = QStringLiteral("Съешь же ещё этих мягких французских булок");
    const QString greek = QStringLiteral("Καλημέρα κόσμε, αυτό είναι ένα ελληνικό κείμενο");
    const QString arabic = QStringLiteral("مرحبا بالعالم");
    const QString thai = QStringLiteral("สวัสดีครับ ภาษาไทย");
    const QString xmlGreek = QStringLiteral("<?xml version=\"1.0\" encoding=\"ISO-8859-7\"?>\n"
                                            "<p>Αθήνα</p>");
    const QList<EncodedText> cases{
        {"shift_jis.txt", Encoded("Shift_JIS", japanese), japanese},
        {"big5.txt", Encoded("Big5", chinese), chinese},
        {"koi8.txt", Encoded("KOI8-R", russian), russian},
        {"cp1256.txt", Encoded("windows-1256", arabic), arabic},
        {"greek.txt", Encoded("ISO-8859-7", greek), greek},
        {"thai.txt", Encoded("TIS-620", thai), thai},
        {"utf16.txt", Utf16WithMark(QStringConverter::Utf16LE, russian), russian},
        {"mark.txt", "\xEF\xBB\xBF" + greek.toUtf8(), greek},
        {"declared.xml", Encoded("ISO-8859-7", xmlGreek), QStringLiteral("<p>Αθήνα</p>")},
        {"utf8.txt", japanese.toUtf8(), japanese},
        {"latin1.txt", "Caf\xE9 cr\xE8me \xE0 deux euros",
         QStringLiteral("Café crème à deux euros")},
    };
    RunHarness<PdfPrinter> h;
    h.printer.InitializeOptions("Corvanta", "Corvanta");
    h.printer.CreateProfile(kProfileName, 0);
    for (const EncodedText& encoded : cases)
        h.add(h.makeFile(encoded.name, encoded.bytes));
    ASSERT_EQ(h.runWith(kUchardetDetector), RunEnd::Finished);

    const QRegularExpression blanks(QStringLiteral("\\s"));
    for (const EncodedText& encoded : cases) {
        const QString pdf = h.inPath(QString::fromLatin1(encoded.name).section('.', 0, 0) + ".PDF");
        const QString text = PdfProbe(pdf).pageTexts().join(QString()).remove(blanks);
        const QString expected = QString(encoded.text).remove(blanks);
        EXPECT_TRUE(text.contains(expected)) << encoded.name << ": " << text.toStdString();
    }
}

} // namespace
