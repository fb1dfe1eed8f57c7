// Promise: a password and the protection it asks for belong to the run that set them. Another
// instance of the program writing the shared printer settings changes nothing in this one's
// PDFs, the single PDFs of a protected merge are the owner's alone, and a process that holds a
// password leaves no core dump.
#include "conversion/IPdfPrinterOptions.h"
#include "pdfprinter/PdfPrinter.h"
#include "tests/support/PdfProbe.h"
#include "tests/support/TestProgress.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/prctl.h>
#include <sys/stat.h>

namespace {

// One instance of the program's PDF printer, saving into `folder`.
struct Instance
{
    explicit Instance(const QString& folder)
    {
        printer.InitializeOptions("Corvanta", "Corvanta");
        printer.CreateProfile(kProfileName, 0);
        printer.SelectActiveProfile(kProfileName, 0);
        printer.SetTextOption("Save Folder", folder, kProfileName, 0);
        printer.SetNumberOption("File Conflict Strategy", 3, kProfileName, 0);
    }
    void protect(const QString& password)
    {
        printer.SetPasswordOption(kUserPasswordOption, password, kProfileName, 0);
        printer.SetNumberOption("Level", 2, kProfileName, 0);
        for (const char* permission : {"AllowPrint", "AllowModify", "AllowCopyExtract"})
            printer.SetNumberOption(permission, 0, kProfileName, 0);
    }
    bool print(const QString& title)
    {
        IPrintCanvas* canvas = printer.beginDocument(title);
        if (!canvas)
            return false;
        canvas->drawText(50, 50, "confidential");
        return printer.endDocument(unwatched());
    }

    PdfPrinter printer;
};

// First: once a password is held, the process stays out of core dumps for good.
TEST(PasswordsTest, AProcessThatHoldsAPasswordLeavesNoCoreDump)
{
    ASSERT_EQ(::prctl(PR_GET_DUMPABLE), 1);
    QTemporaryDir folder;
    Instance instance(folder.path());
    instance.protect("s3cret words");
    EXPECT_EQ(::prctl(PR_GET_DUMPABLE), 0);
}

TEST(PasswordsTest, AnotherInstanceWritingTheSharedSettingsChangesNothingInThisOnesPdfs)
{
    QTemporaryDir mine;
    QTemporaryDir theirs;
    Instance window(mine.path());
    window.protect("correct horse battery staple");
    // A scheduled run starts beside the open window, with no protection and its own folder.
    Instance scheduled(theirs.path());
    scheduled.printer.SetNumberOption("Level", 0, kProfileName, 0);
    for (const char* permission : {"AllowPrint", "AllowModify", "AllowCopyExtract"})
        scheduled.printer.SetNumberOption(permission, 1, kProfileName, 0);

    ASSERT_TRUE(window.print("/in/salaries.PDF"));
    EXPECT_FALSE(QFile::exists(theirs.filePath("salaries.PDF")));
    PdfProbe locked(mine.filePath("salaries.PDF"));
    EXPECT_FALSE(locked.isOpen()) << "opens without the password";
    PdfProbe opened(mine.filePath("salaries.PDF"), "correct horse battery staple");
    ASSERT_TRUE(opened.isOpen()) << opened.error().toStdString();
    EXPECT_FALSE(opened.allowsPrint());
}

TEST(PasswordsTest, TheSinglePdfsOfAProtectedMergeAreTheOwnersAlone)
{
    QTemporaryDir folder;
    Instance instance(folder.path());
    instance.printer.SetNumberOption(kOwnerOnlyOption, 1, kProfileName, 0);
    ASSERT_TRUE(instance.print("/in/part.PDF"));
    struct stat info = {};
    ASSERT_EQ(::stat(QFile::encodeName(folder.filePath("part.PDF")).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

} // namespace
