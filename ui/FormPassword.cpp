#include "ui/FormPassword.h"

#include "ui_FormPassword.h"

#include <QCloseEvent>
#include <QKeyEvent>

TfrmPassword::TfrmPassword(QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::frmPassword>())
{
    m_ui->setupUi(this);
    setFixedSize(size());
    // FormCreate: the user name is shown, never edited.
    m_ui->txtUserName->setEnabled(false);
    connect(m_ui->cmdOK, &QPushButton::clicked, this, &TfrmPassword::cmdOKClick);
    connect(m_ui->cmdCancel, &QPushButton::clicked, this, &TfrmPassword::cmdCancelClick);
}

TfrmPassword::~TfrmPassword() = default;

std::optional<QString> TfrmPassword::ask(const QString& userName, QWidget* over)
{
    m_ui->txtUserName->setText(userName.trimmed());
    if (over)
        move(over->geometry().center() - rect().center());
    m_ui->txtPassword->setFocus();
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return m_ui->txtPassword->text();
}

void TfrmPassword::cmdOKClick()
{
    accept();
}

void TfrmPassword::cmdCancelClick()
{
    reject();
}

void TfrmPassword::closeEvent(QCloseEvent* event)
{
    // Through the title bar: a typed password counts as given, an empty edit as no answer.
    if (m_ui->txtPassword->text().isEmpty()) {
        QDialog::closeEvent(event); // abandons
        return;
    }
    accept();
    event->accept();
}

void TfrmPassword::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        cmdOKClick();
        return;
    }
    QDialog::keyPressEvent(event);
}
