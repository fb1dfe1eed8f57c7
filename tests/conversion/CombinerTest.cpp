// The combining step's decisions, with a toolkit and a publisher that write files on request.
#include "conversion/Combiner.h"
#include "common/Progress.h"
#include "conversion/PdfToolkit.h"
#include "conversion/ToolkitCommandLines.h"
#include "tests/conversion/RunHarness.h"
#include "tests/support/FakePdfPrinter.h"
#include "tests/support/TestProgress.h"

#include <QDir>
#include <QThread>
#include <functional>
#include <gtest/gtest.h>

namespace {

// Pages are "files with one line per page"; the fake toolkit concatenates them.
class FakeToolkit final : public PdfToolkit, public PdfChecker
{
public:
    Result merge(const QStringList& inputs, const QString& output, std::chrono::milliseconds,
                 Progress& progress) override
    {
        calls.append("merge " + inputs.join(',') + " -> " + output);
        if (whileMerging)
            whileMerging(progress);
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
    bool dropPageOnMerge = false;
    std::function<void(Progress&)> whileMerging;
};

// Copies the merged file to its name, or fails as told; records the protection asked for. A
// single PDF protected where it stands is published over itself.
class FakePublisher final : public PdfPublisher
{
public:
    Result publish(const QString& input, const QString& output, const PdfProtection& protection,
                   Progress& progress) const override
    {
        const bool single = input == output;
        stopAnswers.append(!progress.advance(-1));
        (single ? singlesAsked : asked).append(protection);
        if (single)
            singles.append(QFileInfo(output).fileName());
        const Outcome wanted = single ? singleOutcome : outcome;
        if (wanted != Outcome::Published)
            return {wanted, "failed"};
        QFile in(input);
        in.open(QIODevice::ReadOnly);
        QByteArray bytes = in.readAll();
        if (losePage && !single)
            bytes.chop(bytes.size() - bytes.lastIndexOf('\n', -2) - 1);
        FakeToolkit::write(output, bytes);
        return {Outcome::Published, {}};
    }

    Outcome outcome = Outcome::Published;       // of the merged file
    Outcome singleOutcome = Outcome::Published; // of each single PDF
    bool losePage = false;
    mutable QList<PdfProtection> asked;
    mutable QList<PdfProtection> singlesAsked;
    mutable QStringList singles;
    mutable QList<bool> stopAnswers; // whether each publish was told to stop
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
    bool combine() { return combiner.combine(pdfs, dir.path(), unwatched()); }
    QStringList files() const { return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden); }

    QTemporaryDir dir;
    QList<RowPdf> pdfs;
    FakeToolkit toolkit;
    FakePublisher publisher;
    FakeSecurityForm security;
    ScriptedDialogs dialogs;
    Combiner combiner{toolkit, publisher, toolkit, security, dialogs};
};

TEST(CombinerTest, MergesInListOrderAndDeletesOnlyTheFilesTheRunWrote)
{
    CombineHarness h;
    h.dialogs.fileAnswers.enqueue(h.dir.filePath("all"));
    ASSERT_TRUE(h.combine());
    ASSERT_EQ(h.toolkit.calls.size(), 1);
    EXPECT_FALSE(h.toolkit.calls[0].section(" -> ", 1).startsWith(h.dir.path()))
        << "the unprotected merge is made beside the output";
    EXPECT_EQ(h.dialogs.fileRequests.first().title, "Save");
    EXPECT_EQ(h.dialogs.fileRequests.first().filter, "PDF Files (*.PDF)");
    EXPECT_EQ(h.dialogs.fileRequests.first().folder, h.dir.path());
    QFile merged(h.dir.filePath("all.PDF"));
    ASSERT_TRUE(merged.open(QIODevice::ReadOnly));
    EXPECT_EQ(merged.readAll(), "a.PDF page\nkept.PDF page\nb.PDF page\n");
    EXPECT_EQ(h.files(), (QStringList{"all.PDF", "kept.PDF"}));
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

// A whole run with "Create one PDF file" chosen, merging with the fake toolkit and publisher.
struct CombiningRun
{
    CombiningRun()
    {
        h.printer.writeFiles = true;
        h.security.combine = true;
    }
    RunEnd run()
    {
        Combiner combiner(toolkit, publisher, toolkit, h.security, h.dialogs);
        RunServices services{h.list,        h.state,   h.printer, h.printer, h.profile,
                             h.security,    h.routes,  h.form,    h.dialogs, h.clock,
                             h.application, h.control, h.opener,  nullptr,   &combiner};
        return ConversionRun(services).PNGCreatePDFClick();
    }

    RunHarness<FakePdfPrinter> h;
    FakeToolkit toolkit;
    FakePublisher publisher;
};

TEST(CombinerTest, ARunMergesWhatItWroteAndWhatTheUserKeptButDeletesOnlyWhatItWrote)
{
    CombiningRun c;
    auto& h = c.h;
    h.add(h.makeFile("a.xml"));
    h.add(h.makeFile("kept.xml"));
    h.makeFile("kept.PDF", "kept page\n"); // the user answers No: kept, and merged
    h.add(h.makeFile("report.xyz"));       // cannot be converted: no PDF of its own
    h.makeFile("report.pdf", "the user's own report\n");
    h.dialogs.confirmAnswers << false;
    h.dialogs.fileAnswers.enqueue(h.inPath("all"));
    ASSERT_EQ(c.run(), RunEnd::Finished);

    ASSERT_EQ(c.toolkit.calls.size(), 1);
    EXPECT_EQ(c.toolkit.calls[0].section(" -> ", 0, 0),
              "merge " + h.inPath("a.PDF") + "," + h.inPath("kept.PDF"));
    EXPECT_EQ(h.dialogs.fileRequests.last().folder, h.in.path() + "/");
    EXPECT_FALSE(QFile::exists(h.inPath("a.PDF")));
    EXPECT_TRUE(QFile::exists(h.inPath("kept.PDF")));
    EXPECT_TRUE(QFile::exists(h.inPath("report.pdf")));
}

TEST(CombinerTest, AStoppedRunMergesNothingAndProtectsEachPdfItWrote)
{
    CombiningRun c;
    auto& h = c.h;
    h.security.passwordChecked = true;
    h.security.password1 = h.security.password2 = "secret";
    for (const char* name : {"a.xml", "b.xml", "c.xml"})
        h.add(h.makeFile(name));
    h.clock.onPause = [&] {
        if (h.list.status(1) == "Converting")
            h.control.requestStop();
    };
    EXPECT_EQ(c.run(), RunEnd::Stopped);
    EXPECT_TRUE(c.toolkit.calls.isEmpty());
    EXPECT_EQ(c.publisher.singles, (QStringList{"a.PDF", "b.PDF"}));
    EXPECT_EQ(c.publisher.stopAnswers, (QList<bool>{false, false})) << "protection stopped halfway";
    EXPECT_EQ(h.dialogs.texts(), QStringList{kNotCombined + " " + kEachProtected});
}

TEST(CombinerTest, TheLastRowKeepsItsStatusWhileTheMergeWorks)
{
    CombiningRun c;
    auto& h = c.h;
    h.add(h.makeFile("a.xml"));
    h.add(h.makeFile("b.xml"));
    h.dialogs.fileAnswers.enqueue(h.inPath("all"));
    // The merge reports progress as the real one does while it waits for the toolkit.
    c.toolkit.whileMerging = [](Progress& progress) {
        QThread::msleep(150);
        progress.advance(-1);
    };
    ASSERT_EQ(c.run(), RunEnd::Finished);
    EXPECT_EQ(h.list.status(1), "Completed");
}

TEST(CombinerTest, NamesEndingInPdfInAnyCaseGetNoSecondEnding)
{
    EXPECT_EQ(Combiner::outputNameFor("/o/all"), "/o/all.PDF");
    EXPECT_EQ(Combiner::outputNameFor("/o/all.PDF"), "/o/all.PDF");
    EXPECT_EQ(Combiner::outputNameFor("/o/all.pdf"), "/o/all.pdf");
}

TEST(CombinerTest, CancelOrAShortNameEndsTheRunAndKeepsEverything)
{
    for (const char* answer : {"", "/a.p"}) {
        CombineHarness h;
        h.dialogs.fileAnswers.enqueue(answer);
        EXPECT_FALSE(h.combine());
        EXPECT_TRUE(h.toolkit.calls.isEmpty());
        EXPECT_EQ(h.files().size(), 3);
        EXPECT_TRUE(h.dialogs.shown.isEmpty()) << "nothing was asked to be protected";
        EXPECT_TRUE(h.publisher.singles.isEmpty());
    }
}

TEST(CombinerTest, AMergeThatDoesNotHappenProtectsEachPdfTheRunWroteAsASingleRunWouldAndSaysSo)
{
    const QString protectedNote = kNotCombined + " " + kEachProtected;
    struct Case
    {
        const char* name;
        std::function<void(CombineHarness&)> arrange;
        QStringList messages;
    };
    const QList<Case> cases{
        {"cancelled",
         [](CombineHarness& h) { h.dialogs.fileAnswers.enqueue(""); },
         {protectedNote}},
        {"too short",
         [](CombineHarness& h) { h.dialogs.fileAnswers.enqueue("/a.p"); },
         {protectedNote}},
        {"no toolkit",
         [](CombineHarness& h) { h.toolkit.startable = false; },
         {kCombineStartError, kCombineFailed + "\n\n" + kEachProtected}},
        {"pages lost",
         [](CombineHarness& h) { h.toolkit.dropPageOnMerge = true; },
         {kCombineFailed + "\n\n" + kEachProtected}},
        {"merged file unprotectable",
         [](CombineHarness& h) { h.publisher.outcome = PdfPublisher::Outcome::ProtectionFailed; },
         {kProtectStartError + "\n\n" + kEachProtected}},
    };
    for (const Case& c : cases) {
        for (const bool disablePrintCopy : {false, true}) {
            SCOPED_TRACE(c.name);
            CombineHarness h;
            h.security.passwordChecked = true;
            h.security.password1 = "secret";
            h.security.printCopy = disablePrintCopy;
            c.arrange(h);
            h.dialogs.fileAnswers.enqueue(h.dir.filePath("all"));
            EXPECT_FALSE(h.combine());
            EXPECT_EQ(h.dialogs.texts(), c.messages);
            EXPECT_EQ(h.publisher.singles, (QStringList{"a.PDF", "b.PDF"})) << "not kept.PDF";
            for (const PdfProtection& single : h.publisher.singlesAsked) {
                EXPECT_EQ(single.password, "secret");
                EXPECT_EQ(single.allowPrint, !disablePrintCopy);
                EXPECT_EQ(single.allowModify, !disablePrintCopy);
                EXPECT_EQ(single.allowCopy, !disablePrintCopy);
            }
            EXPECT_EQ(h.files(), (QStringList{"a.PDF", "b.PDF", "kept.PDF"}));
        }
    }
}

TEST(CombinerTest, APdfThatCannotBeProtectedOnItsOwnIsDeletedAndNamed)
{
    CombineHarness h;
    h.security.printCopy = true;
    h.publisher.singleOutcome = PdfPublisher::Outcome::Failed;
    h.dialogs.fileAnswers.enqueue("");
    EXPECT_FALSE(h.combine());
    EXPECT_EQ(h.dialogs.texts(), QStringList{kNotCombined + " " + kEachProtected + "\n\n" +
                                             kUnprotectableDeleted.arg("a.PDF, b.PDF")});
    EXPECT_EQ(h.files(), QStringList{"kept.PDF"});
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
    EXPECT_TRUE(h.publisher.asked.isEmpty());
}

TEST(CombinerTest, AMergedFileWithAPasswordAllowsPrintingAtMostAndOneWithoutIsProtectedAsASingle)
{
    struct Case
    {
        bool password;
        bool disablePrintCopy;
        std::optional<QString> expectedPassword;
        bool print;
        bool modifyAndCopy;
    };
    for (const Case& c :
         {Case{true, true, "two words\"quoted", false, false},
          Case{true, false, "two words\"quoted", true, false},
          Case{false, true, std::nullopt, false, false}, Case{false, false, {}, true, true}}) {
        CombineHarness h;
        h.security.passwordChecked = c.password;
        h.security.password1 = "two words\"quoted";
        h.security.printCopy = c.disablePrintCopy;
        h.dialogs.fileAnswers.enqueue(h.dir.filePath("all"));
        ASSERT_TRUE(h.combine());
        ASSERT_EQ(h.publisher.asked.size(), 1);
        const PdfProtection& asked = h.publisher.asked[0];
        EXPECT_EQ(asked.password, c.expectedPassword);
        EXPECT_EQ(asked.allowPrint, c.print);
        EXPECT_EQ(asked.allowModify, c.modifyAndCopy);
        EXPECT_EQ(asked.allowCopy, c.modifyAndCopy);
        EXPECT_TRUE(h.publisher.singles.isEmpty());
    }
}

TEST(CombinerTest, APublishThatFailsOrDoesNotReadBackKeepsEveryInputAndLeavesNoOutput)
{
    struct Case
    {
        PdfPublisher::Outcome outcome;
        bool losePage;
        QString message;
    };
    for (const Case& c : {Case{PdfPublisher::Outcome::ProtectionFailed, false, kProtectStartError},
                          Case{PdfPublisher::Outcome::Failed, false, kCombineFailed},
                          Case{PdfPublisher::Outcome::Published, true, kCombineFailed}}) {
        CombineHarness h;
        h.security.passwordChecked = true;
        h.security.password1 = "secret";
        h.publisher.outcome = c.outcome;
        h.publisher.losePage = c.losePage;
        h.dialogs.fileAnswers.enqueue(h.dir.filePath("all"));
        EXPECT_FALSE(h.combine());
        EXPECT_EQ(h.dialogs.texts(), QStringList{c.message + "\n\n" + kEachProtected});
        EXPECT_EQ(h.files(), (QStringList{"a.PDF", "b.PDF", "kept.PDF"}));
    }
}

TEST(CombinerTest, AMergedFileNamedAsOneOfItsInputsIsNotDeletedWithThem)
{
    CombineHarness h;
    h.dialogs.fileAnswers.enqueue(h.dir.filePath("a.PDF"));
    ASSERT_TRUE(h.combine());
    EXPECT_EQ(h.files(), (QStringList{"a.PDF", "kept.PDF"}));
    EXPECT_EQ(h.toolkit.pageCount(h.dir.filePath("a.PDF"), {}), 3);
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
