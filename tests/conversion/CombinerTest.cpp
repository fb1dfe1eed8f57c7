// The combining step's decisions, with a toolkit that writes files on request.
#include "conversion/Combiner.h"
#include "conversion/PdfToolkit.h"
#include "conversion/ToolkitCommandLines.h"
#include "tests/conversion/RunHarness.h"
#include "tests/support/FakePdfPrinter.h"

#include <QDir>
#include <gtest/gtest.h>

namespace {

// Pages are "files with one line per page"; the fake toolkit concatenates them.
class FakeToolkit final : public PdfToolkit, public PdfChecker
{
public:
    Result merge(const QStringList& inputs, const QString& output,
                 std::chrono::milliseconds) override
    {
        calls.append("merge " + inputs.join(',') + " -> " + output);
        if (!startable)
            return {};
        QByteArray all;
        for (const QString& input : inputs) {
            QFile file(input);
            if (!file.open(QIODevice::ReadOnly))
                return {true, false, "missing input"};
            all += file.readAll();
        }
        if (dropPageOnMerge)
            all.chop(all.size() - all.lastIndexOf('\n', -2) - 1);
        write(output, all);
        return {true, true, {}};
    }
    Result protect(const QString& input, const QString& output, const QString& password,
                   bool allowPrinting, std::chrono::milliseconds) override
    {
        calls.append(QStringLiteral("protect %1 -> %2 pw=%3 print=%4")
                         .arg(input, output, password)
                         .arg(allowPrinting));
        if (!protectWorks)
            return {true, false, "failed"};
        QFile in(input);
        in.open(QIODevice::ReadOnly);
        write(output, in.readAll());
        return {true, true, {}};
    }
    int pageCount(const QString& pdf, const QString&) override
    {
        QFile file(pdf);
        if (!file.open(QIODevice::ReadOnly))
            return -1;
        return file.readAll().count('\n');
    }
    static void write(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
    }

    QStringList calls;
    bool startable = true;
    bool protectWorks = true;
    bool dropPageOnMerge = false;
};

struct CombineHarness
{
    CombineHarness()
    {
        for (const char* name : {"a.PDF", "b.PDF", "kept.PDF"})
            FakeToolkit::write(dir.filePath(name), QByteArray(name) + " page\n");
        pdfs = {{dir.filePath("a.PDF"), true},
                {dir.filePath("kept.PDF"), false},
                {dir.filePath("b.PDF"), true}};
    }
    bool combine() { return combiner.combine(pdfs, dir.path()); }
    QStringList files() const { return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden); }

    QTemporaryDir dir;
    QList<RowPdf> pdfs;
    FakeToolkit toolkit;
    FakeSecurityForm security;
    ScriptedDialogs dialogs;
    Combiner combiner{toolkit, toolkit, security, dialogs};
};

TEST(CombinerTest, MergesInListOrderAndDeletesOnlyTheFilesTheRunWrote)
{
    CombineHarness h;
    h.dialogs.fileAnswers.enqueue(h.dir.filePath("all"));
    ASSERT_TRUE(h.combine());
    EXPECT_EQ(h.dialogs.fileRequests.first().title, "Save");
    EXPECT_EQ(h.dialogs.fileRequests.first().filter, "PDF Files (*.PDF)");
    EXPECT_EQ(h.dialogs.fileRequests.first().folder, h.dir.path());
    QFile merged(h.dir.filePath("all.PDF"));
    ASSERT_TRUE(merged.open(QIODevice::ReadOnly));
    EXPECT_EQ(merged.readAll(), "a.PDF page\nkept.PDF page\nb.PDF page\n");
    EXPECT_EQ(h.files(), (QStringList{"all.PDF", "kept.PDF"}));
    EXPECT_TRUE(merged.permissions() & QFileDevice::ReadOther) << "private like a scratch file";
    EXPECT_TRUE(h.dialogs.shown.isEmpty());
}

TEST(CombinerTest, ARowWithoutAPdfAddsNothingAndNoFileIsGuessedInItsPlace)
{
    CombineHarness h;
    // The user's own report.pdf beside a document "report.xyz" that could not be converted.
    FakeToolkit::write(h.dir.filePath("report.pdf"), "report.pdf page\n");
    h.pdfs.insert(2, RowPdf{});
    h.dialogs.fileAnswers.enqueue(h.dir.filePath("all"));
    ASSERT_TRUE(h.combine());
    QFile merged(h.dir.filePath("all.PDF"));
    ASSERT_TRUE(merged.open(QIODevice::ReadOnly));
    EXPECT_EQ(merged.readAll(), "a.PDF page\nkept.PDF page\nb.PDF page\n");
    EXPECT_EQ(h.files(), (QStringList{"all.PDF", "kept.PDF", "report.pdf"}));

    CombineHarness none;
    none.pdfs = {RowPdf{}, RowPdf{}};
    none.dialogs.fileAnswers.enqueue(none.dir.filePath("all"));
    EXPECT_FALSE(none.combine());
    EXPECT_EQ(none.dialogs.texts(), QStringList{kCombineFailed});
    EXPECT_TRUE(none.toolkit.calls.isEmpty());
}

TEST(CombinerTest, ARunMergesWhatItWroteAndWhatTheUserKeptButDeletesOnlyWhatItWrote)
{
    RunHarness<FakePdfPrinter> h;
    h.printer.writeFiles = true;
    h.security.combine = true;
    h.add(h.makeFile("a.xml"));
    h.add(h.makeFile("kept.xml"));
    h.makeFile("kept.PDF", "kept page\n"); // the user answers No: kept, and merged
    h.add(h.makeFile("report.xyz"));       // cannot be converted: no PDF of its own
    h.makeFile("report.pdf", "the user's own report\n");
    h.dialogs.confirmAnswers << false;
    h.dialogs.fileAnswers.enqueue(h.inPath("all"));
    FakeToolkit toolkit;
    Combiner combiner(toolkit, toolkit, h.security, h.dialogs);
    RunServices services{h.list,     h.state,       h.printer,   h.printer, h.profile,
                         h.security, h.images,      h.renderers, h.form,    h.dialogs,
                         h.clock,    h.application, h.control,   nullptr,   &combiner};
    ConversionRun run(services);
    ASSERT_EQ(run.PNGCreatePDFClick(), RunEnd::Finished);

    ASSERT_EQ(toolkit.calls.size(), 1);
    EXPECT_EQ(toolkit.calls[0].section(" -> ", 0, 0),
              "merge " + h.inPath("a.PDF") + "," + h.inPath("kept.PDF"));
    EXPECT_EQ(h.dialogs.fileRequests.last().folder, h.in.path() + "/");
    EXPECT_FALSE(QFile::exists(h.inPath("a.PDF")));
    EXPECT_TRUE(QFile::exists(h.inPath("kept.PDF")));
    EXPECT_TRUE(QFile::exists(h.inPath("report.pdf")));
}

TEST(CombinerTest, NamesEndingInPdfInAnyCaseGetNoSecondEnding)
{
    EXPECT_EQ(Combiner::outputNameFor("/o/all"), "/o/all.PDF");
    EXPECT_EQ(Combiner::outputNameFor("/o/all.PDF"), "/o/all.PDF");
    EXPECT_EQ(Combiner::outputNameFor("/o/all.pdf"), "/o/all.pdf");
    EXPECT_EQ(Combiner::intermediateNameFor("/o/all"), "/o/allS_.PDF");
    EXPECT_EQ(Combiner::intermediateNameFor("/o/all.PDF"), "/o/all.PDFS_.PDF");
}

TEST(CombinerTest, CancelOrAShortNameEndsTheRunAndKeepsEverything)
{
    for (const char* answer : {"", "/a.p"}) {
        CombineHarness h;
        h.dialogs.fileAnswers.enqueue(answer);
        EXPECT_FALSE(h.combine());
        EXPECT_TRUE(h.toolkit.calls.isEmpty());
        EXPECT_EQ(h.files().size(), 3);
    }
}

TEST(CombinerTest, AToolkitThatCannotStartGivesBothMessagesAndKeepsEveryPdf)
{
    CombineHarness h;
    h.toolkit.startable = false;
    h.dialogs.fileAnswers.enqueue(h.dir.filePath("all"));
    EXPECT_FALSE(h.combine());
    EXPECT_EQ(h.dialogs.texts(), (QStringList{kCombineStartError, kCombineFailed}));
    EXPECT_EQ(h.files(), (QStringList{"a.PDF", "b.PDF", "kept.PDF"}));
}

TEST(CombinerTest, AMergedFileWithMissingPagesIsNotTrustedAndNothingIsDeleted)
{
    CombineHarness h;
    h.toolkit.dropPageOnMerge = true;
    h.dialogs.fileAnswers.enqueue(h.dir.filePath("all"));
    EXPECT_FALSE(h.combine());
    EXPECT_EQ(h.dialogs.texts(), QStringList{kCombineFailed});
    EXPECT_EQ(h.files(), (QStringList{"a.PDF", "b.PDF", "kept.PDF"})); // no partial output
}

TEST(CombinerTest, WithAPasswordTheMergeIsProtectedAndTheIntermediateRemoved)
{
    CombineHarness h;
    h.security.passwordChecked = true;
    h.security.password1 = "two words\"quoted";
    h.security.printCopy = true;
    h.dialogs.fileAnswers.enqueue(h.dir.filePath("all"));
    ASSERT_TRUE(h.combine());
    ASSERT_EQ(h.toolkit.calls.size(), 2);
    EXPECT_TRUE(h.toolkit.calls[1].startsWith("protect " + h.dir.filePath("allS_.PDF")));
    EXPECT_TRUE(h.toolkit.calls[1].endsWith("pw=two words\"quoted print=0"));
    EXPECT_EQ(h.files(), (QStringList{"all.PDF", "kept.PDF"}));

    CombineHarness printing;
    printing.security.passwordChecked = true;
    printing.security.password1 = "secret";
    printing.dialogs.fileAnswers.enqueue(printing.dir.filePath("all"));
    printing.combine();
    EXPECT_TRUE(printing.toolkit.calls[1].endsWith("print=1"));
}

TEST(CombinerTest, AFailedProtectionKeepsTheIntermediateAndSaysSo)
{
    CombineHarness h;
    h.security.passwordChecked = true;
    h.security.password1 = "secret";
    h.toolkit.protectWorks = false;
    h.dialogs.fileAnswers.enqueue(h.dir.filePath("all"));
    EXPECT_TRUE(h.combine());
    EXPECT_TRUE(h.files().contains("allS_.PDF"));
    EXPECT_FALSE(h.files().contains("all.PDF"));
    ASSERT_EQ(h.dialogs.shown.size(), 1);
    EXPECT_TRUE(h.dialogs.shown[0].text.endsWith(h.dir.filePath("allS_.PDF")));
}

TEST(ToolkitCommandLinesTest, FormsTheWindowsParameterTexts)
{
    EXPECT_EQ(
        ToolkitCommandLines::merge({"C:\\in\\a.PDF", "C:\\in\\b c.PDF"}, "C:\\out\\allS_.PDF"),
        "\"C:\\in\\a.PDF\" \"C:\\in\\b c.PDF\" cat output \"C:\\out\\allS_.PDF\"");
    EXPECT_EQ(ToolkitCommandLines::protect("C:\\o\\allS_.PDF", "C:\\o\\all.PDF", "pw", false),
              "\"C:\\o\\allS_.PDF\" output \"C:\\o\\all.PDF\" user_pw pw");
    EXPECT_EQ(ToolkitCommandLines::protect("i", "o", "pw", true),
              "\"i\" output \"o\" user_pw pw allow printing");
    EXPECT_EQ(ToolkitCommandLines::inputList({}), "");
}

} // namespace
