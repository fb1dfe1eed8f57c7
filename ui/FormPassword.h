#pragma once

#include <QDialog>
#include <memory>
#include <optional>

namespace Ui {
class frmPassword;
}

// The credentials dialog: asks for the password of the account a scheduled run will use. It is
// made once and kept, so the password edit keeps its text from one use to the next.
class TfrmPassword final : public QDialog
{
    Q_OBJECT

public:
    explicit TfrmPassword(QWidget* parent = nullptr);
    ~TfrmPassword() override;

    // Shows the dialog modally, centred on `over`, for `userName`. The password typed, an empty
    // one included, when the dialog was accepted; nullopt when it was abandoned.
    std::optional<QString> ask(const QString& userName, QWidget* over);

    Ui::frmPassword& form() { return *m_ui; }

public slots:
    void cmdOKClick();
    void cmdCancelClick();

protected:
    // The close box accepts when a password was typed and abandons when the edit is empty.
    void closeEvent(QCloseEvent* event) override;
    // Enter anywhere in the dialog acts as OK.
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::unique_ptr<Ui::frmPassword> m_ui;
};
