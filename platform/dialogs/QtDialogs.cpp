#include "platform/dialogs/QtDialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

namespace {

QMessageBox::Icon toQt(Dialogs::Icon icon)
{
    switch (icon) {
    case Dialogs::Icon::Information:
        return QMessageBox::Information;
    case Dialogs::Icon::Warning:
        return QMessageBox::Warning;
    case Dialogs::Icon::Error:
        return QMessageBox::Critical;
    case Dialogs::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

void QtDialogs::message(const QString& text, Icon icon)
{
    QMessageBox box(toQt(icon), QApplication::applicationDisplayName(), text, QMessageBox::Ok,
                    m_owner);
    box.exec();
}

bool QtDialogs::confirm(const QString& text)
{
    QMessageBox box(QMessageBox::Question, QApplication::applicationDisplayName(), text,
                    QMessageBox::Yes | QMessageBox::No, m_owner);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

QString QtDialogs::chooseFile(const FileRequest& request)
{
    if (request.save)
        return QFileDialog::getSaveFileName(m_owner, request.title, QString(), request.filter);
    return QFileDialog::getOpenFileName(m_owner, request.title, QString(), request.filter);
}

std::optional<QString> QtDialogs::browseFolder(const QString& instruction)
{
    // Always from the top of the user's own files, never from wherever the last dialog was.
    const QString folder =
        QFileDialog::getExistingDirectory(m_owner, instruction, QDir::homePath());
    if (folder.isNull())
        return std::nullopt;
    return folder;
}
