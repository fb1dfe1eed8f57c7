#include "tests/conversion/RunHarness.h"
#include "tests/support/FakePdfPrinter.h"

#include <gtest/gtest.h>

namespace {

using Harness = RunHarness<FakePdfPrinter>;

QStringList optionCalls(const FakePdfPrinter& printer)
{
    QStringList calls;
    for (const QString& call : printer.calls)
        if (call.startsWith("Set"))
            calls.append(call.section(' ', 0, 1));
    return calls;
}

TEST(ProfileOptionsTest, WritesTheFixedOptionsInOrderThenTheSecurityOptions)
{
    Harness h;
    EXPECT_TRUE(h.profile.UpdateProfileFromDialog());
    EXPECT_EQ(
        optionCalls(h.printer),
        (QStringList{"SetNumberOption Use", "SetNumberOption AnalyzeUrl=1", "SetNumberOption Post",
                     "SetNumberOption Prompt", "SetTextOption Save", "SetNumberOption File",
                     "SetTextOption Document", "SetTextOption Document",
                     "SetNumberOption SilentPrint=1", "SetNumberOption Level=0",
                     "SetNumberOption AllowPrint=1", "SetNumberOption AllowModify=1",
                     "SetNumberOption AllowCopyExtract=1", "SetNumberOption Owner"}));
    EXPECT_EQ(h.printer.options["Save File"], "[N]");
    EXPECT_EQ(h.printer.options["File Conflict Strategy"], 3);
    EXPECT_EQ(h.printer.options["Document Subject"], "Corvanta document");
    EXPECT_EQ(h.printer.options["Document Title"], "PDF Created by Corvanta Professional");
    EXPECT_EQ(h.printer.options["Post Save Open"], 0);
    EXPECT_EQ(h.printer.options["Use Text Compression"], 1);
}

TEST(ProfileOptionsTest, DisablingPrintingWithoutAPasswordWithholdsThePermissionsAtLevelZero)
{
    Harness h;
    h.security.printCopy = true;
    h.profile.UpdateProfileFromDialog();
    EXPECT_EQ(h.printer.options["Level"], 0);
    EXPECT_EQ(h.printer.options["AllowPrint"], 0);
    EXPECT_EQ(h.printer.options["AllowModify"], 0);
    EXPECT_EQ(h.printer.options["AllowCopyExtract"], 0);
}

TEST(ProfileOptionsTest, AConfirmedPasswordIsWrittenBeforeLevelTwo)
{
    Harness h;
    h.security.passwordChecked = true;
    h.security.password1 = h.security.password2 = "s3cret pw";
    EXPECT_TRUE(h.profile.UpdateProfileFromDialog());
    const QStringList calls = h.printer.calls;
    const int password = calls.indexOf("SetPasswordOption User Password Corvanta Profile");
    ASSERT_GE(password, 0);
    EXPECT_EQ(calls.at(password + 1), "SetNumberOption Level=2 Corvanta Profile");
    EXPECT_EQ(h.printer.options["User Password"], "s3cret pw");
    EXPECT_TRUE(h.security.panelVisible);
}

TEST(ProfileOptionsTest, WithoutThePasswordOptionThePasswordIsEmptiedButNotItsRepetition)
{
    Harness h;
    h.security.password1 = "abcd";
    h.security.password2 = "abcd";
    h.security.panelVisible = true;
    h.profile.UpdateProfileFromDialog();
    EXPECT_TRUE(h.security.password1.isEmpty());
    EXPECT_EQ(h.security.password2, "abcd");
    EXPECT_FALSE(h.security.panelVisible);
}

TEST(ProfileOptionsTest, AMismatchEmptiesBothAndTheRunEndsWithNoFileConverted)
{
    Harness h;
    h.add(h.makeFile("a.xml"));
    h.security.passwordChecked = true;
    h.security.password1 = "abcd";
    h.security.password2 = "abce";
    EXPECT_EQ(h.run(), RunEnd::EndedEarly);
    EXPECT_EQ(h.dialogs.texts(), (QStringList{"Passwords do not match!", kNoPasswordMessage}));
    EXPECT_TRUE(h.security.password1.isEmpty());
    EXPECT_TRUE(h.security.password2.isEmpty());
    EXPECT_TRUE(h.printer.jobs.isEmpty());
    EXPECT_EQ(h.printer.options["Level"], 0);
    EXPECT_EQ(h.printer.calls.last(), "RestorePreviousDefaultPrinter");
}

TEST(ProfileOptionsTest, AShortPasswordEndsTheRunInsteadOfConvertingUnprotected)
{
    Harness h;
    h.add(h.makeFile("a.xml"));
    h.security.passwordChecked = true;
    h.security.password1 = h.security.password2 = "abc";
    EXPECT_EQ(h.run(), RunEnd::EndedEarly);
    EXPECT_EQ(h.dialogs.texts(), QStringList{kPasswordTooShortMessage});
    EXPECT_EQ(h.dialogs.shown[0].icon, Dialogs::Icon::Information);
    EXPECT_EQ(h.security.password1, "abc"); // the text stays for the user to correct
    EXPECT_TRUE(h.printer.jobs.isEmpty());
}

TEST(ProfileOptionsTest, AnEmptyPasswordIsReportedByTheRun)
{
    Harness h;
    h.add(h.makeFile("a.xml"));
    h.security.passwordChecked = true;
    EXPECT_EQ(h.run(), RunEnd::EndedEarly);
    EXPECT_EQ(h.dialogs.texts().last(), kNoPasswordMessage);
    EXPECT_TRUE(h.printer.jobs.isEmpty());
}

TEST(ProfileOptionsTest, CombiningLeavesTheFilesUnprotectedButPrivateAndStillChecksThePassword)
{
    Harness h;
    // An earlier run withheld the permissions: the single PDFs of a merge must still be plain.
    h.printer.options["AllowPrint"] = h.printer.options["AllowCopyExtract"] = 0;
    h.security.combine = true;
    h.security.passwordChecked = true;
    h.security.password1 = h.security.password2 = "good one";
    EXPECT_TRUE(h.profile.UpdateProfileFromDialog());
    EXPECT_EQ(h.printer.options["Level"], 0);
    EXPECT_FALSE(h.printer.options.contains("User Password"));
    EXPECT_EQ(h.printer.options["AllowPrint"], 1);
    EXPECT_EQ(h.printer.options["AllowCopyExtract"], 1);
    EXPECT_EQ(h.printer.options[kOwnerOnlyOption], 1);

    h.security.password2 = "good 0ne";
    EXPECT_FALSE(h.profile.UpdateProfileFromDialog());
    EXPECT_EQ(h.dialogs.texts().last(), kPasswordMismatchMessage);
}

TEST(ProfileOptionsTest, ASecurityOptionThePrinterRefusesIsToldAndTheRunConvertsNothing)
{
    struct Case
    {
        bool combine;
        QString refused;
    };
    for (const Case& c : {Case{false, "AllowCopyExtract"}, Case{false, kUserPasswordOption},
                          Case{true, kOwnerOnlyOption}}) {
        SCOPED_TRACE(c.refused.toStdString());
        Harness h;
        h.add(h.makeFile("a.xml"));
        h.security.combine = c.combine;
        h.security.passwordChecked = true;
        h.security.password1 = h.security.password2 = "good one";
        h.printer.refused = QStringList{c.refused};
        EXPECT_EQ(h.run(), RunEnd::EndedEarly);
        EXPECT_EQ(h.dialogs.texts(),
                  QStringList{"Set Security options. The PDF printer did not take the option \"" +
                              c.refused + "\" (error 0x80004005)."});
        EXPECT_TRUE(h.printer.jobs.isEmpty());
    }
}

} // namespace
