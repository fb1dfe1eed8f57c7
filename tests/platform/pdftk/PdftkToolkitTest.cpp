// Combining with the real pdftk, read back with qpdf.
#include "platform/pdftk/PdftkToolkit.h"
#include "common/Progress.h"
#include "conversion/Combiner.h"
#include "pdfprinter/PdfPublisher.h"
#include "platform/process/QtProcessLauncher.h"
#include "tests/conversion/RunHarness.h"
#include "tests/support/PdfProbe.h"
#include "tests/support/TestPdfs.h"
#include "tests/support/TestProgress.h"

#include <QDir>
#include <QPainter>
#include <QPdfWriter>
#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

struct Toolkit
{
    Toolkit() { EXPECT_FALSE(PdftkToolkit::locate().isEmpty()) << "pdftk (pdftk-java) is needed"; }

    QTemporaryDir dir;
    QtProcessLauncher launcher;
    PdftkToolkit pdftk{launcher};
    QpdfChecker checker;
};

TEST(PdftkToolkitTest, MergesInOrder)
{
    Toolkit t;
    const QStringList inputs = {MakeTestPdf(t.dir, "b.PDF", 2), MakeTestPdf(t.dir, "a.PDF", 1)};
    const auto result = t.pdftk.merge(inputs, t.dir.filePath("all.PDF"), 60s, unwatched());
    ASSERT_TRUE(result.succeeded) << result.error.toStdString();
    PdfProbe merged(t.dir.filePath("all.PDF"));
    ASSERT_EQ(merged.pageCount(), 3);
    EXPECT_TRUE(merged.pageTexts()[0].contains("b.PDF page 1"));
    EXPECT_TRUE(merged.pageTexts()[2].contains("a.PDF page 1"));
    EXPECT_EQ(t.checker.pageCount(t.dir.filePath("all.PDF")), 3);
    EXPECT_EQ(t.checker.pageCount(t.dir.filePath("missing.PDF")), -1);
}

TEST(PdftkToolkitTest, AMissingOrFailingToolkitSaysSo)
{
    Toolkit t;
    PdftkToolkit missing(t.launcher, t.dir.filePath("no-pdftk"));
    const auto result =
        missing.merge({MakeTestPdf(t.dir, "a.PDF", 1)}, t.dir.filePath("o.PDF"), 5s, unwatched());
    EXPECT_FALSE(result.started);
    EXPECT_FALSE(QFile::exists(t.dir.filePath("o.PDF")));

    // A toolkit that fails says why.
    const auto damaged =
        t.pdftk.merge({t.dir.filePath("none.PDF")}, t.dir.filePath("p.PDF"), 60s, unwatched());
    EXPECT_TRUE(damaged.started);
    EXPECT_FALSE(damaged.succeeded);
    EXPECT_FALSE(damaged.error.isEmpty());
    EXPECT_FALSE(QFile::exists(t.dir.filePath("p.PDF")));
}

TEST(PdftkToolkitTest, AStopKillsTheToolkitAndLeavesNoOutput)
{
    Toolkit t;
    const QStringList inputs = {MakeTestPdf(t.dir, "a.PDF", 1), MakeTestPdf(t.dir, "b.PDF", 1)};
    const QString merged = t.dir.filePath("merged.PDF");
    // Java alone takes longer to start than the first report comes.
    StopAtReport stop(1);
    QFile(merged).open(QIODevice::WriteOnly); // as if pdftk had begun to write
    EXPECT_THROW(t.pdftk.merge(inputs, merged, 60s, stop), RunStopped);
    EXPECT_EQ(QDir(t.dir.path()).entryList(QDir::Files | QDir::Hidden),
              (QStringList{"a.PDF", "b.PDF"}));
}

TEST(CombineWithPdftkTest, APasswordProtectedMergeKeepsTheFileTheUserKept)
{
    Toolkit t;
    const QStringList names = {MakeTestPdf(t.dir, "a.PDF", 1), MakeTestPdf(t.dir, "kept.PDF", 2),
                               MakeTestPdf(t.dir, "c.PDF", 1)};
    FakeSecurityForm security;
    security.passwordChecked = true;
    security.password1 = "my secret";
    ScriptedDialogs dialogs;
    dialogs.fileAnswers.enqueue(t.dir.filePath("Everything.pdf"));
    Combiner combiner(t.pdftk, kQpdfPublisher, t.checker, security, dialogs);
    ASSERT_TRUE(
        combiner.combine({{names[0], true}, {names[1], false}, {names[2], true}}, {}, unwatched()));
    EXPECT_TRUE(dialogs.shown.isEmpty()) << dialogs.texts().join('|').toStdString();

    EXPECT_EQ(QDir(t.dir.path()).entryList(QDir::Files | QDir::Hidden),
              (QStringList{"Everything.pdf", "kept.PDF"}));
    PdfProbe all(t.dir.filePath("Everything.pdf"), "my secret");
    ASSERT_EQ(all.pageCount(), 4);
    EXPECT_TRUE(all.pageTexts()[1].contains("kept.PDF page 1"));
    EXPECT_TRUE(all.allowsPrint()); // "Disable Printing/Copy" was not chosen
}

TEST(CombineWithPdftkTest, WithoutTheToolkitBothMessagesAndEveryPdfStays)
{
    Toolkit t;
    PdftkToolkit missing(t.launcher, t.dir.filePath("no-pdftk"));
    const QStringList names = {MakeTestPdf(t.dir, "a.PDF", 1), MakeTestPdf(t.dir, "b.PDF", 1)};
    FakeSecurityForm security;
    ScriptedDialogs dialogs;
    dialogs.fileAnswers.enqueue(t.dir.filePath("all"));
    Combiner combiner(missing, kQpdfPublisher, t.checker, security, dialogs);
    EXPECT_FALSE(combiner.combine({{names[0], true}, {names[1], true}}, {}, unwatched()));
    EXPECT_EQ(dialogs.texts(), (QStringList{kCombineStartError, kCombineFailed}));
    EXPECT_EQ(QDir(t.dir.path()).entryList(QDir::Files | QDir::Hidden),
              (QStringList{"a.PDF", "b.PDF"}));
}

} // namespace
