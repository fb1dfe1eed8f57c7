// The credentials dialog: what it shows, and which ways out accept it or abandon it.
#include "ui/FormPassword.h"
#include "ui_FormPassword.h"

#include <QCloseEvent>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace {

// Shows the dialog for "mary", does `act` once it is up, and answers what the dialog answered.
std::optional<QString> answer(TfrmPassword& dialog, const std::function<void()>& act)
{
    QTimer::singleShot(0, &dialog, act);
    return dialog.ask(" mary ", nullptr);
}

TEST(FormPasswordTest, ShowsTheAccountWithThePasswordEditFirstAndMasked)
{
    TfrmPassword dialog;
    Ui::frmPassword& ui = dialog.form();
    EXPECT_EQ(dialog.windowTitle(), "Supply password");
    EXPECT_EQ(dialog.size(), QSize(397, 189));
    EXPECT_EQ(ui.Label1->text(), "Please enter your login password.  Leave blank if no password");
    EXPECT_EQ(ui.txtPassword->echoMode(), QLineEdit::Password);
    answer(dialog, [&] {
        EXPECT_EQ(ui.txtUserName->text(), "mary");
        EXPECT_FALSE(ui.txtUserName->isEnabled());
        EXPECT_EQ(dialog.focusWidget(), ui.txtPassword);
        dialog.cmdCancelClick();
    });
}

TEST(FormPasswordTest, OkAndEnterAcceptCancelAbandonsTheCloseBoxDependsOnThePassword)
{
    struct Case
    {
        const char* name;
        QString typed;
        std::function<void(TfrmPassword&)> leave;
        std::optional<QString> expected;
    };
    const auto enter = [](TfrmPassword& d) {
        QTest::keyClick(d.form().txtPassword, Qt::Key_Return);
    };
    const auto closeBox = [](TfrmPassword& d) { d.close(); };
    const QList<Case> cases = {
        {"OK", "s3cret", [](TfrmPassword& d) { d.form().cmdOK->click(); }, QString("s3cret")},
        {"OK with no password", "", [](TfrmPassword& d) { d.form().cmdOK->click(); }, QString()},
        {"Enter", "s3cret", enter, QString("s3cret")},
        {"Cancel", "s3cret", [](TfrmPassword& d) { d.form().cmdCancel->click(); }, std::nullopt},
        {"close box with a password", "s3cret", closeBox, QString("s3cret")},
        {"close box without one", "", closeBox, std::nullopt},
    };
    for (const Case& c : cases) {
        TfrmPassword dialog;
        const std::optional<QString> given = answer(dialog, [&] {
            dialog.form().txtPassword->setText(c.typed);
            c.leave(dialog);
        });
        EXPECT_EQ(given, c.expected) << c.name;
    }
}

TEST(FormPasswordTest, ThePasswordEditKeepsItsTextForTheNextUse)
{
    TfrmPassword dialog;
    answer(dialog, [&] {
        dialog.form().txtPassword->setText("kept");
        dialog.form().cmdOK->click();
    });
    const std::optional<QString> again = answer(dialog, [&] { dialog.form().cmdOK->click(); });
    EXPECT_EQ(again, QString("kept"));
}

} // namespace
