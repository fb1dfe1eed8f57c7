#include "tests/pdfprinter/PrinterFixture.h"
#include "tests/support/PdfProbe.h"
#include "tests/support/TestProgress.h"

#include <QFile>

namespace {

class SecurityTest : public PrinterFixture
{
protected:
    void protect(const QString& password)
    {
        EXPECT_EQ(m_printer.SetPasswordOption("User Password", password, kProfileName, 0),
                  kPrinterOk);
        setNumber("Level", 2);
    }
    void withhold(int print, int modify, int copy)
    {
        setNumber("AllowPrint", print);
        setNumber("AllowModify", modify);
        setNumber("AllowCopyExtract", copy);
    }
};

TEST_F(SecurityTest, LevelTwoEncryptsWithAes256AndTheUserPassword)
{
    protect("open sesame");
    ASSERT_TRUE(printLines("/in/locked.PDF", {"behind a password"}));

    EXPECT_FALSE(PdfProbe(output("locked.PDF")).isOpen());
    EXPECT_FALSE(PdfProbe(output("locked.PDF"), "open sesamE").isOpen());
    PdfProbe pdf(output("locked.PDF"), "open sesame");
    ASSERT_TRUE(pdf.isOpen()) << pdf.error().toStdString();
    EXPECT_TRUE(pdf.isEncrypted());
    EXPECT_TRUE(pdf.usesAes256());
    EXPECT_EQ(pdf.encryptionRevision(), 6);
    EXPECT_TRUE(pdf.allowsPrint());
    EXPECT_TRUE(pdf.allowsModify());
    EXPECT_TRUE(pdf.allowsExtract());
    EXPECT_EQ(pdf.infoTitle(), "PDF Created by Corvanta Professional");
    EXPECT_EQ(pdf.pageTexts().value(0).trimmed(), "behind a password");
}

TEST_F(SecurityTest, LevelTwoWithholdsThePermissionsAsked)
{
    protect("abcd");
    withhold(0, 0, 0);
    ASSERT_TRUE(printLines("/in/none.PDF", {"x"}));
    PdfProbe none(output("none.PDF"), "abcd");
    ASSERT_TRUE(none.isOpen());
    EXPECT_FALSE(none.openedAsOwner());
    EXPECT_FALSE(none.allowsPrint());
    EXPECT_FALSE(none.allowsModify());
    EXPECT_FALSE(none.allowsExtract());

    withhold(1, 0, 1);
    ASSERT_TRUE(printLines("/in/some.PDF", {"x"}));
    PdfProbe some(output("some.PDF"), "abcd");
    ASSERT_TRUE(some.isOpen());
    EXPECT_TRUE(some.allowsPrint());
    EXPECT_FALSE(some.allowsModify());
    EXPECT_TRUE(some.allowsExtract());
}

TEST_F(SecurityTest, WithheldPermissionWithoutPasswordStillEncrypts)
{
    withhold(1, 1, 0);
    ASSERT_TRUE(
        m_printer.printRenderedPdf("/in/open.PDF", makeRenderedPdf("o.pdf", "Open"), unwatched()));
    PdfProbe pdf(output("open.PDF")); // the user password is empty
    ASSERT_TRUE(pdf.isOpen()) << pdf.error().toStdString();
    EXPECT_TRUE(pdf.usesAes256());
    EXPECT_TRUE(pdf.allowsPrint());
    EXPECT_TRUE(pdf.allowsModify());
    EXPECT_FALSE(pdf.allowsExtract());
}

TEST_F(SecurityTest, LevelZeroWithEverythingAllowedIsNotEncrypted)
{
    // A password set earlier does nothing at level 0.
    EXPECT_EQ(m_printer.SetPasswordOption("User Password", "abcd", kProfileName, 0), kPrinterOk);
    ASSERT_TRUE(printLines("/in/free.PDF", {"x"}));
    PdfProbe pdf(output("free.PDF"));
    ASSERT_TRUE(pdf.isOpen());
    EXPECT_FALSE(pdf.isEncrypted());
}

TEST_F(SecurityTest, LevelTwoWithoutPasswordWritesNothing)
{
    setNumber("Level", 2);
    EXPECT_FALSE(printLines("/in/unprotected.PDF", {"x"}));
    EXPECT_TRUE(outputEntries().isEmpty());
    EXPECT_EQ(m_window.deliver().value(0).wParam, 3);
}

TEST_F(SecurityTest, PasswordGoesWithItsProfile)
{
    protect("abcd");
    ASSERT_EQ(m_printer.RemoveProfile(kProfileName, 0), kPrinterOk);
    ASSERT_EQ(m_printer.CreateProfile(kProfileName, 0), kPrinterOk);
    ASSERT_EQ(m_printer.SelectActiveProfile(kProfileName, 0), kPrinterOk);
    writeRunOptions();
    setNumber("Level", 2);
    EXPECT_FALSE(printLines("/in/stale.PDF", {"x"}));
    EXPECT_TRUE(outputEntries().isEmpty());
}

} // namespace
