#include "pdfprinter/PdfPrinter.h"
#include "tests/pdfprinter/PrinterFixture.h"
#include "tests/support/PdfProbe.h"
#include "tests/support/TestProgress.h"

#include <QFile>
#include <QSettings>

namespace {

class PrinterOptionsTest : public PrinterFixture
{
};

TEST(PrinterInitialisation, EveryOperationFailsBeforeInitialising)
{
    TempHome home;
    PdfPrinter printer;
    EXPECT_EQ(printer.CreateProfile(kProfileName, 0), kPrinterFailed);
    EXPECT_EQ(printer.SelectActiveProfile(kProfileName, 0), kPrinterFailed);
    EXPECT_EQ(printer.SetTextOption("Save File", "[N]", kProfileName, 0), kPrinterFailed);
    EXPECT_EQ(printer.SetNumberOption("Level", 0, kProfileName, 0), kPrinterFailed);
    EXPECT_EQ(printer.SetPasswordOption("User Password", "abcd", kProfileName, 0), kPrinterFailed);
    EXPECT_EQ(printer.RemoveProfile(kProfileName, 0), kPrinterFailed);
    EXPECT_EQ(printer.MakePdfPrinterDefault(), kPrinterFailed);
    EXPECT_EQ(printer.RestorePreviousDefaultPrinter(), kPrinterFailed);
    EXPECT_EQ(printer.AttachMessageWindow(nullptr), kPrinterFailed);
    EXPECT_EQ(printer.NotifyAutomationServer("Word.Application"), kPrinterFailed);
    EXPECT_EQ(printer.NotifyAutomationPrint(), kPrinterFailed);
    EXPECT_EQ(printer.NotifyDocumentPath(""), kPrinterFailed);
    EXPECT_EQ(printer.beginDocument("a.PDF"), nullptr);
    EXPECT_FALSE(printer.printRenderedPdf("a.PDF", "missing.pdf", unwatched()));
}

TEST(PrinterInitialisation, EmptyNamesAreInvalidAndTheSettingsLiveInTheConfigFolder)
{
    TempHome home;
    PdfPrinter printer;
    EXPECT_EQ(printer.InitializeOptions("", "Corvanta"), kPrinterInvalidArg);
    EXPECT_EQ(printer.InitializeOptions("Corvanta", ""), kPrinterInvalidArg);
    EXPECT_EQ(printer.CreateProfile(kProfileName, 0), kPrinterFailed);
    ASSERT_EQ(printer.InitializeOptions("Corvanta", "Corvanta"), kPrinterOk);
    EXPECT_EQ(printer.settingsFile(), home.configHome() + "/Corvanta/pdfprinter.ini");
    EXPECT_EQ(printer.CreateProfile("", 0), kPrinterInvalidArg);
}

TEST_F(PrinterOptionsTest, ProfileAndOptionsAreSeenByTheNextProcess)
{
    setText("Save Folder", "/some/where");
    {
        PdfPrinter next;
        ASSERT_EQ(next.InitializeOptions("Corvanta", "Corvanta"), kPrinterOk);
        EXPECT_EQ(next.SelectActiveProfile(kProfileName, 0), kPrinterOk);
        // Creating an existing profile keeps its options.
        EXPECT_EQ(next.CreateProfile(kProfileName, 0), kPrinterOk);
    }
    const QString ini = readAll(m_printer.settingsFile());
    EXPECT_TRUE(ini.contains("/some/where"));
    EXPECT_TRUE(ini.contains("PDF Created by Corvanta Professional")) << ini.toStdString();
}

TEST_F(PrinterOptionsTest, AProfileRemovedByAnotherInstanceLivesOnOnlyWhereItWasCreated)
{
    ASSERT_EQ(m_printer.CreateProfile("Empty Profile", 0), kPrinterOk);
    PdfPrinter next;
    ASSERT_EQ(next.InitializeOptions("Corvanta", "Corvanta"), kPrinterOk);
    EXPECT_EQ(next.SelectActiveProfile("Empty Profile", 0), kPrinterOk);

    // Another window closes and removes the profile both use: this one's runs go on.
    EXPECT_EQ(next.RemoveProfile(kProfileName, 0), kPrinterOk);
    EXPECT_EQ(m_printer.SetNumberOption("Level", 0, kProfileName, 0), kPrinterOk);
    EXPECT_EQ(m_printer.SelectActiveProfile(kProfileName, 0), kPrinterOk);
    EXPECT_TRUE(printLines("/in/kept.PDF", {"x"}));

    // A profile an instance only used is gone for it once its creator removes it.
    EXPECT_EQ(m_printer.RemoveProfile("Empty Profile", 0), kPrinterOk);
    EXPECT_EQ(next.SelectActiveProfile("Empty Profile", 0), kPrinterFailed);
    EXPECT_EQ(next.SetNumberOption("Level", 0, "Empty Profile", 0), kPrinterFailed);
    EXPECT_EQ(m_printer.RemoveProfile(kProfileName, 0), kPrinterOk);
    EXPECT_FALSE(readAll(m_printer.settingsFile()).contains("Corvanta document"));
    // A job for a removed profile is not written.
    EXPECT_FALSE(printLines("/in/gone.PDF", {"x"}));
}

TEST_F(PrinterOptionsTest, UnknownProfileCannotBeSelectedOrWritten)
{
    EXPECT_EQ(m_printer.SelectActiveProfile("Nobody", 0), kPrinterFailed);
    EXPECT_EQ(m_printer.SetTextOption("Save File", "[N]", "Nobody", 0), kPrinterFailed);
    EXPECT_EQ(m_printer.SetPasswordOption("User Password", "abcd", "Nobody", 0), kPrinterFailed);
    EXPECT_EQ(m_printer.activeProfile(), kProfileName);
}

TEST_F(PrinterOptionsTest, PasswordNeverReachesTheSettingsFile)
{
    const QString secret = "Sesame-4711";
    EXPECT_EQ(m_printer.SetPasswordOption("User Password", secret, kProfileName, 0), kPrinterOk);
    EXPECT_EQ(m_printer.SetTextOption("User Password", secret + "x", kProfileName, 0), kPrinterOk);
    setNumber("Level", 2);
    ASSERT_TRUE(printLines("/in/secret.PDF", {"classified"}));

    const QString ini = readAll(m_printer.settingsFile());
    EXPECT_FALSE(ini.isEmpty());
    EXPECT_FALSE(ini.contains(secret));
    EXPECT_FALSE(ini.contains("Password"));

    // Another process sees Level 2 but not the password, and refuses to write unprotected.
    PdfPrinter next;
    ASSERT_EQ(next.InitializeOptions("Corvanta", "Corvanta"), kPrinterOk);
    ASSERT_EQ(next.SelectActiveProfile(kProfileName, 0), kPrinterOk);
    EXPECT_FALSE(next.printRenderedPdf("/in/second.PDF", makeRenderedPdf("plain.pdf", "plain"),
                                       unwatched()));
    EXPECT_FALSE(QFile::exists(output("second.PDF")));
}

TEST_F(PrinterOptionsTest, DefaultPrinterSwitchesAndComesBack)
{
    EXPECT_EQ(m_printer.defaultPrinter(), "");
    EXPECT_EQ(m_printer.RestorePreviousDefaultPrinter(), kPrinterOk); // nothing remembered
    EXPECT_EQ(m_printer.defaultPrinter(), "");

    {
        // The user's own default, as the settings file records it.
        QSettings seed(m_printer.settingsFile(), QSettings::IniFormat);
        seed.setValue("DefaultPrinter/Current", "Office Laser");
    }
    EXPECT_EQ(m_printer.defaultPrinter(), "Office Laser");

    EXPECT_EQ(m_printer.MakePdfPrinterDefault(), kPrinterOk);
    EXPECT_EQ(m_printer.defaultPrinter(), "Corvanta");
    // A second switch keeps the user's printer as the one to come back to.
    EXPECT_EQ(m_printer.MakePdfPrinterDefault(), kPrinterOk);
    {
        // The run that switched died; the next process restores.
        PdfPrinter next;
        ASSERT_EQ(next.InitializeOptions("Corvanta", "Corvanta"), kPrinterOk);
        EXPECT_EQ(next.RestorePreviousDefaultPrinter(), kPrinterOk);
    }
    EXPECT_EQ(m_printer.defaultPrinter(), "Office Laser");
    EXPECT_EQ(m_printer.RestorePreviousDefaultPrinter(), kPrinterOk);
    EXPECT_EQ(m_printer.defaultPrinter(), "Office Laser");
}

TEST_F(PrinterOptionsTest, NotificationsAreAccepted)
{
    EXPECT_EQ(m_printer.NotifyAutomationServer("Word.Application"), kPrinterOk);
    EXPECT_EQ(m_printer.NotifyAutomationPrint(), kPrinterOk);
    EXPECT_EQ(m_printer.NotifyDocumentPath(""), kPrinterOk);
    EXPECT_TRUE(printLines("/in/notified.PDF", {"x"}));
}

} // namespace

// A run sets its folder before every document: a value already held is not written again.
TEST_F(PrinterOptionsTest, AnOptionSetToTheValueItHasLeavesTheFileAlone)
{
    setText("Save Folder", "/some/where");
    // The file is replaced whole when written, so a write gives it another inode.
    const auto inode = [&] {
        struct stat status
        {
        };
        ::stat(QFile::encodeName(m_printer.settingsFile()).constData(), &status);
        return status.st_ino;
    };
    const auto before = inode();
    setText("Save Folder", "/some/where");
    EXPECT_EQ(inode(), before);
    setText("Save Folder", "/else/where");
    EXPECT_NE(inode(), before);
}
