// The merged file of "Create one PDF file" is protected like every single PDF, and never stands
// unprotected where others can read it. Real pdftk merges, real qpdf protects and reads back.
#include "conversion/Combiner.h"
#include "conversion/PdfToolkit.h"
#include "pdfprinter/PdfPublisher.h"
#include "platform/pdftk/PdftkToolkit.h"
#include "platform/process/QtProcessLauncher.h"
#include "tests/conversion/RunHarness.h"
#include "tests/support/PdfProbe.h"
#include "tests/support/TestPdfs.h"
#include "tests/support/TestProgress.h"

#include <QDir>
#include <QPainter>
#include <QPdfWriter>
#include <gtest/gtest.h>

namespace {

constexpr QFileDevice::Permissions kOthers = QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                             QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                             QFileDevice::WriteOther | QFileDevice::ExeOther;

// The real pdftk; notes where it merged, and who may enter that folder.
class WatchedToolkit final : public PdfToolkit
{
public:
    explicit WatchedToolkit(PdfToolkit& real) : m_real(real) {}
    Result merge(const QStringList& inputs, const QString& output, std::chrono::milliseconds limit,
                 Progress& progress) override
    {
        mergedInto = output;
        mergeFolderPermissions = QFileInfo(QFileInfo(output).absolutePath()).permissions();
        return m_real.merge(inputs, output, limit, progress);
    }
    QString mergedInto;
    QFileDevice::Permissions mergeFolderPermissions;

private:
    PdfToolkit& m_real;
};

// The real publisher, or one whose protection fails; lists the output folder when it is called,
// after the merge and before anything protected exists.
class WatchedPublisher final : public PdfPublisher
{
public:
    explicit WatchedPublisher(QString folder) : m_folder(std::move(folder)) {}
    Result publish(const QString& input, const QString& output, const PdfProtection& protection,
                   Progress& progress) const override
    {
        folderBeforePublish =
            QDir(m_folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        if (protectionFails && input != output) // the merged file; a single is protected in place
            return {Outcome::ProtectionFailed, QStringLiteral("refused")};
        return kQpdfPublisher.publish(input, output, protection, progress);
    }
    bool protectionFails = false;
    mutable QStringList folderBeforePublish;

private:
    QString m_folder;
};

struct Combine
{
    Combine()
    {
        EXPECT_FALSE(PdftkToolkit::locate().isEmpty()) << "pdftk (pdftk-java) is needed";
        pdfs = {{MakeTestPdf(dir, "a.PDF", 1), true}, {MakeTestPdf(dir, "b.PDF", 2), true}};
        dialogs.fileAnswers.enqueue(dir.filePath("all"));
    }
    bool run() { return combiner.combine(pdfs, dir.path(), unwatched()); }
    QString output() const { return dir.filePath("all.PDF"); }
    QStringList files() const
    {
        return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    QTemporaryDir dir;
    QList<RowPdf> pdfs;
    QtProcessLauncher launcher;
    PdftkToolkit pdftk{launcher};
    WatchedToolkit toolkit{pdftk};
    WatchedPublisher publisher{dir.path()};
    QpdfChecker checker;
    FakeSecurityForm security;
    ScriptedDialogs dialogs;
    Combiner combiner{toolkit, publisher, checker, security, dialogs};
};

TEST(CombinedFileTest, APasswordOfAnyLengthAndScriptProtectsItWithAes256AndEveryCharacterCounts)
{
    for (const QString& password : {QStringLiteral("0123456789abcdefghijklmnopqrstuvwxyz+-*/"),
                                    QStringLiteral("Pässwört9")}) {
        SCOPED_TRACE(password.toStdString());
        Combine c;
        c.security.passwordChecked = true;
        c.security.password1 = password;
        ASSERT_TRUE(c.run()) << c.dialogs.texts().join('|').toStdString();
        EXPECT_EQ(c.files(), QStringList{"all.PDF"});

        PdfProbe merged(c.output(), password);
        ASSERT_TRUE(merged.isOpen()) << merged.error().toStdString();
        EXPECT_EQ(merged.pageCount(), 3);
        EXPECT_EQ(merged.encryptionRevision(), 6);
        EXPECT_TRUE(merged.usesAes256());
        EXPECT_FALSE(merged.openedAsOwner()) << "the password would lift the restrictions";

        QString almost = password;
        almost.back() = QLatin1Char('#');
        EXPECT_FALSE(PdfProbe(c.output(), almost).isOpen());
        EXPECT_FALSE(PdfProbe(c.output()).isOpen());
    }
}

TEST(CombinedFileTest, WithAPasswordTheMergedFileAllowsPrintingAtMostAndNeverChangeOrCopy)
{
    for (const bool disablePrintCopy : {false, true}) {
        Combine c;
        c.security.passwordChecked = true;
        c.security.password1 = QStringLiteral("secret words");
        c.security.printCopy = disablePrintCopy;
        ASSERT_TRUE(c.run()) << c.dialogs.texts().join('|').toStdString();
        PdfProbe merged(c.output(), QStringLiteral("secret words"));
        ASSERT_TRUE(merged.isOpen()) << merged.error().toStdString();
        EXPECT_EQ(merged.allowsPrint(), !disablePrintCopy);
        EXPECT_FALSE(merged.allowsModify());
        EXPECT_FALSE(merged.allowsExtract());
    }
}

TEST(CombinedFileTest, WhenTheMergeDoesNotHappenEverySinglePdfIsLeftProtected)
{
    for (const bool cancelled : {true, false}) {
        Combine c;
        c.security.passwordChecked = true;
        c.security.password1 = QStringLiteral("secret words");
        c.security.printCopy = true;
        if (cancelled) {
            c.dialogs.fileAnswers.clear();
            c.dialogs.fileAnswers.enqueue(QString());
        } else {
            c.publisher.protectionFails = true;
        }
        EXPECT_FALSE(c.run());
        ASSERT_EQ(c.dialogs.texts().size(), 1);
        EXPECT_TRUE(c.dialogs.texts()[0].endsWith(kEachProtected));
        EXPECT_EQ(c.files(), (QStringList{"a.PDF", "b.PDF"}));
        for (const RowPdf& single : c.pdfs) {
            EXPECT_FALSE(PdfProbe(single.file).isOpen()) << "opens without the password";
            PdfProbe opened(single.file, QStringLiteral("secret words"));
            ASSERT_TRUE(opened.isOpen()) << opened.error().toStdString();
            EXPECT_TRUE(opened.usesAes256());
            EXPECT_FALSE(opened.allowsPrint());
            EXPECT_FALSE(opened.allowsExtract());
        }
    }
}

TEST(CombinedFileTest, DisablePrintingCopyWithoutAPasswordWithholdsThemFromTheMergedFile)
{
    Combine c;
    c.security.printCopy = true;
    ASSERT_TRUE(c.run()) << c.dialogs.texts().join('|').toStdString();
    PdfProbe merged(c.output());
    ASSERT_TRUE(merged.isOpen()) << merged.error().toStdString();
    EXPECT_EQ(merged.encryptionRevision(), 6);
    EXPECT_FALSE(merged.openedAsOwner());
    EXPECT_FALSE(merged.allowsPrint());
    EXPECT_FALSE(merged.allowsModify());
    EXPECT_FALSE(merged.allowsExtract());
}

TEST(CombinedFileTest, NoUnprotectedMergedFileIsEverInTheOutputFolder)
{
    Combine c;
    c.security.passwordChecked = true;
    c.security.password1 = QStringLiteral("secret words");
    ASSERT_TRUE(c.run()) << c.dialogs.texts().join('|').toStdString();
    EXPECT_EQ(c.publisher.folderBeforePublish, (QStringList{"a.PDF", "b.PDF"}));
    const QString mergeFolder = QFileInfo(c.toolkit.mergedInto).absolutePath();
    EXPECT_NE(QDir(mergeFolder), QDir(c.dir.path()));
    EXPECT_FALSE(c.toolkit.mergeFolderPermissions & kOthers);
    EXPECT_FALSE(QFileInfo::exists(mergeFolder)) << "the unprotected merge outlives the run";
}

TEST(CombinedFileTest, AProtectionThatFailsKeepsEveryInputAndLeavesNothingUnderTheName)
{
    Combine c;
    c.security.passwordChecked = true;
    c.security.password1 = QStringLiteral("secret words");
    c.publisher.protectionFails = true;
    EXPECT_FALSE(c.run());
    EXPECT_EQ(c.dialogs.texts(), QStringList{kProtectStartError + "\n\n" + kEachProtected});
    EXPECT_EQ(c.files(), (QStringList{"a.PDF", "b.PDF"}));
}

} // namespace
