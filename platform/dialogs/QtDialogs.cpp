#include "platform/dialogs/QtDialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
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

Dialogs::Answer QtDialogs::ask(const QString& text, bool offerToAll)
{
    QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No;
    if (offerToAll)
        buttons |= QMessageBox::YesToAll | QMessageBox::NoToAll;
    QMessageBox box(QMessageBox::Question, QApplication::applicationDisplayName(), text, buttons,
                    m_owner);
    box.setDefaultButton(QMessageBox::Yes);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::YesToAll:
        return Answer::YesToAll;
    case QMessageBox::NoToAll:
        return Answer::NoToAll;
    default:
        return Answer::No;
    }
}

QStringList QtDialogs::chooseFiles(const FileRequest& request)
{
    if (request.save) {
        const QString file =
            QFileDialog::getSaveFileName(m_owner, request.title, request.folder, request.filter);
        return file.isEmpty() ? QStringList() : QStringList{file};
    }
    if (request.several)
        return QFileDialog::getOpenFileNames(m_owner, request.title, request.folder,
                                             request.filter);
    const QString file =
        QFileDialog::getOpenFileName(m_owner, request.title, request.folder, request.filter);
    return file.isEmpty() ? QStringList() : QStringList{file};
}

std::optional<QString> QtDialogs::browseFolder(const QString& instruction,
                                               const QString& startFolder)
{
    // From the folder already chosen, or else the top of the user's own files; never from
    // wherever the last dialog happened to be.
    const QString from =
        !startFolder.isEmpty() && QFileInfo(startFolder).isDir() ? startFolder : QDir::homePath();
    const QString folder = QFileDialog::getExistingDirectory(m_owner, instruction, from);
    if (folder.isNull())
        return std::nullopt;
    return folder;
}
