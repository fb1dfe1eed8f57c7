// The office renderer's parts that need no office: the type table, the protocol, the profile,
// the workbook reader, the text and PDF checks.
#include "office/OfficeProtocol.h"
#include "office/OfficeRenderer.h"
#include "office/PdfCheck.h"
#include "office/worker/CompoundFile.h"
#include "office/worker/OfficeProfile.h"
#include "office/worker/TextContent.h"
#include "office/worker/XlsActiveSheet.h"
#include "tests/office/OfficeDocuments.h"

#include <QFile>
#include <QMimeDatabase>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

namespace {

bool write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray read(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(OfficeTypes, OfficeFormatsAreImportedByNameOrContentOtherRoutesTypesAreNot)
{
    for (const char* path : {"a.doc",  "b.DOCX", "c.xls", "d.xlsx", "e.pptx", "f.odt", "g.ods",
                             "h.odp",  "i.odg",  "k.csv", "l.rtf",  "m.ppt",  "n.wpd", "o.gnumeric",
                             "p.fods", "q.vsd",  "r.pub", "s.cdr",  "t.key",  "u.wk3"})
        EXPECT_TRUE(OfficeRenderer::imports(path)) << path;
    for (const char* path :
         {"a.pdf", "b.png", "c.jpg", "d.jpeg", "e.bmp", "f.gif", "g.tif", "h.html", "i.htm",
          "j.xml", "k.svg", "l.exe", "m.txt", "n.md", "o.zip", "noextension"})
        EXPECT_FALSE(OfficeRenderer::imports(path)) << path;

    // A document under a name of no type is the office's when its bytes are.
    const QMimeDatabase types;
    const QByteArray odt = QByteArray("PK\x03\x04", 4) + QByteArray(26, '\0') +
                           "mimetypeapplication/vnd.oasis.opendocument.text";
    EXPECT_TRUE(OfficeRenderer::imports("report.bin", types.mimeTypeForData(odt)));
    EXPECT_FALSE(OfficeRenderer::imports("notes", types.mimeTypeForData(QByteArray("plain"))));
}

TEST(OfficeProtocolLines, RequestAndAnswerSurviveTheirLine)
{
    const OfficeRequest request{Route::Excel, "/in/a b \"c\".xls", "/out/new\nline.pdf"};
    const QByteArray line = request.toLine();
    EXPECT_FALSE(line.contains('\n'));
    const auto back = OfficeRequest::fromLine(line);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->route, Route::Excel);
    EXPECT_EQ(back->document, request.document);
    EXPECT_EQ(back->pdf, request.pdf);

    const OfficeAnswer answer{OfficeFailure::Password, "asked for a password"};
    const auto answerBack = OfficeAnswer::fromLine(answer.toLine());
    ASSERT_TRUE(answerBack.has_value());
    EXPECT_EQ(answerBack->failure, OfficeFailure::Password);
    EXPECT_EQ(answerBack->detail, answer.detail);
    EXPECT_TRUE(OfficeAnswer::fromLine(OfficeAnswer{}.toLine())->ok());
}

TEST(OfficeProtocolLines, MalformedLinesAreRejected)
{
    EXPECT_FALSE(OfficeRequest::fromLine("render a.doc b.pdf").has_value());
    EXPECT_FALSE(OfficeRequest::fromLine(R"({"route":"browser","document":"a","pdf":"b"})"));
    EXPECT_FALSE(OfficeRequest::fromLine(R"({"route":"word","document":"","pdf":"b"})"));
    EXPECT_FALSE(OfficeAnswer::fromLine("{}").has_value());
    EXPECT_FALSE(OfficeAnswer::fromLine(R"({"failure":"maybe"})").has_value());
}

TEST(OfficeProfileTest, PrimingRecordsTheVersionOnceKeepsOtherSettingsAndRestoresTheSafeOnes)
{
    QTemporaryDir dir;
    const QString registry = dir.path() + "/user/registrymodifications.xcu";
    ASSERT_TRUE(PrimeOfficeProfile(dir.path(), "7.4"));
    const QByteArray primed = read(registry);
    EXPECT_TRUE(primed.contains("ooSetupLastVersion"));
    EXPECT_TRUE(primed.contains("<value>7.4</value>"));
    EXPECT_TRUE(primed.trimmed().endsWith("</oor:items>"));

    ASSERT_TRUE(PrimeOfficeProfile(dir.path(), "9.9"));
    EXPECT_EQ(read(registry), primed); // a recorded version is left alone

    // A profile the office wrote without the version gets it added, its settings kept, and a
    // safety setting changed there is set back, once.
    const QByteArray own = "<?xml version=\"1.0\"?>\n<oor:items xmlns:oor=\"x\">\n<item "
                           "oor:path=\"/org.openoffice.Office.Common/Misc\"/>\n<item "
                           "oor:path=\"/org.openoffice.Inet/Settings\"><prop "
                           "oor:name=\"ooInetProxyType\"><value>0</value></prop></item>\n"
                           "</oor:items>\n";
    ASSERT_TRUE(write(registry, own));
    ASSERT_TRUE(PrimeOfficeProfile(dir.path(), "7.4"));
    const QByteArray merged = read(registry);
    EXPECT_TRUE(merged.contains("/org.openoffice.Office.Common/Misc"));
    EXPECT_TRUE(merged.contains("<value>7.4</value>"));
    EXPECT_LT(merged.indexOf("ooSetupLastVersion"), merged.indexOf("</oor:items>"));
    EXPECT_EQ(merged.count("\"ooInetProxyType\""), 1);
    EXPECT_TRUE(merged.contains("\"ooInetProxyType\" oor:op=\"fuse\"><value>2</value>"));

    EXPECT_FALSE(PrimeOfficeProfile(dir.path() + "/other", ""));
}

TEST(OfficeProfileTest, InstalledVersionIsReadBesideTheOffice)
{
    const OfficeDocuments& docs = OfficeDocuments::get();
    ASSERT_FALSE(docs.office.isEmpty()) << docs.error.toStdString();
    const QString version = InstalledOfficeVersion(docs.office);
    EXPECT_TRUE(QRegularExpression("^\\d+\\.\\d+$").match(version).hasMatch())
        << version.toStdString();
    EXPECT_TRUE(InstalledOfficeVersion("/nonexistent/soffice").isEmpty());
}

TEST(XlsWorkbook, ActiveSheetIsReadFromTheWorkbookGlobals)
{
    const OfficeDocuments& docs = OfficeDocuments::get();
    ASSERT_TRUE(docs.error.isEmpty()) << docs.error.toStdString();
    EXPECT_EQ(ReadXlsActiveSheet(docs.workbook), std::optional<int>(1));

    const auto compound = CompoundFile::open(docs.workbook);
    ASSERT_TRUE(compound.has_value());
    const auto stream = compound->stream("Workbook");
    ASSERT_TRUE(stream.has_value());
    EXPECT_TRUE(stream->startsWith(QByteArray::fromHex("0908"))); // BOF
    EXPECT_FALSE(compound->stream("NoSuchStream").has_value());
}

TEST(XlsWorkbook, ALoopInADamagedWorkbookCostsNoMoreThanTheFileHas)
{
    const OfficeDocuments& docs = OfficeDocuments::get();
    ASSERT_TRUE(docs.error.isEmpty()) << docs.error.toStdString();
    QByteArray bytes = read(docs.workbook);
    ASSERT_GE(bytes.size(), 1024);
    // The chain of further FAT sectors starts at the first sector, whose last word links back
    // to it, and claims four billion sectors: read as it says, it never ends.
    qToLittleEndian<quint32>(0, bytes.data() + 0x44);
    qToLittleEndian<quint32>(0xFFFFFFFE, bytes.data() + 0x48);
    qToLittleEndian<quint32>(0, bytes.data() + 512 + 508);
    QTemporaryDir dir;
    const QString looped = dir.filePath("looped.xls");
    ASSERT_TRUE(write(looped, bytes));
    EXPECT_EQ(ReadXlsActiveSheet(looped), std::optional<int>(1));
    const CompoundFile compound(bytes);
    ASSERT_TRUE(compound.isValid());
    EXPECT_LE(compound.stream("Workbook").value_or(QByteArray()).size(), bytes.size());
}

TEST(XlsWorkbook, OtherFilesHaveNoActiveSheet)
{
    const OfficeDocuments& docs = OfficeDocuments::get();
    ASSERT_TRUE(docs.error.isEmpty()) << docs.error.toStdString();
    EXPECT_FALSE(ReadXlsActiveSheet(docs.doc).has_value()); // a compound file without a workbook
    EXPECT_FALSE(ReadXlsActiveSheet(docs.sheetsOds).has_value());
    EXPECT_FALSE(ReadXlsActiveSheet(docs.garbage).has_value());
    EXPECT_FALSE(ReadXlsActiveSheet("/nonexistent.xls").has_value());
    QTemporaryDir dir;
    const QString cut = dir.filePath("cut.xls");
    ASSERT_TRUE(write(cut, read(docs.workbook).left(1500)));
    EXPECT_FALSE(ReadXlsActiveSheet(cut).has_value());
}

TEST(TextContentTest, TextIsTextAndBinaryIsNot)
{
    const OfficeDocuments& docs = OfficeDocuments::get();
    ASSERT_TRUE(docs.error.isEmpty()) << docs.error.toStdString();
    EXPECT_TRUE(LooksLikeText(docs.txt));
    EXPECT_TRUE(LooksLikeText(docs.rtf));
    EXPECT_FALSE(LooksLikeText(docs.garbage));
    EXPECT_FALSE(LooksLikeText(docs.doc));
    QTemporaryDir dir;
    const QString utf16 = dir.filePath("utf16.txt");
    ASSERT_TRUE(write(utf16, QByteArray("\xFF\xFE", 2) + QByteArray("h\0i\0\n\0", 6)));
    EXPECT_TRUE(LooksLikeText(utf16));
}

TEST(PdfCheckTest, OnlyACompletePdfWithPagesPasses)
{
    QTemporaryDir dir;
    QString why;
    EXPECT_FALSE(IsCompletePdf(dir.filePath("missing.pdf"), &why));
    EXPECT_FALSE(why.isEmpty());
    const QString text = dir.filePath("text.pdf");
    ASSERT_TRUE(write(text, "not a pdf at all"));
    EXPECT_FALSE(IsCompletePdf(text));

    // A real PDF, then the same cut short: the cut one needs repair and is refused.
    const QString real = dir.filePath("real.pdf");
    {
        QPdfWriter writer(real);
        QPainter painter(&writer);
        painter.drawText(100, 100, "one page");
    }
    EXPECT_TRUE(IsCompletePdf(real, &why)) << why.toStdString();
    const QByteArray bytes = read(real);
    const QString cut = dir.filePath("cut.pdf");
    ASSERT_TRUE(write(cut, bytes.left(bytes.size() * 3 / 4)));
    EXPECT_FALSE(IsCompletePdf(cut));
}

} // namespace
