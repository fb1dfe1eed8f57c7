#include "ui/QtDialogs.h"

#include "ui/FormPassword.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QRegularExpression>

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

// Qt's own pattern of a named filter, "Name (pattern pattern ...)"; a filter that does not match it
// is a list of patterns without a name.
const QRegularExpression
    kNamedFilter(QStringLiteral(R"(^(.*)\(([a-zA-Z0-9_.,*? +;#\-\[\]@\{\}/!<>\$%&=^~:\|]*)\)$)"));

QString anyCasePattern(const QString& pattern)
{
    // A pattern with its own character classes says exactly what it means.
    if (pattern.contains(QLatin1Char('[')))
        return pattern;
    QString result;
    for (const QChar c : pattern) {
        const QChar lower = c.toLower();
        const QChar upper = c.toUpper();
        if (lower == upper)
            result += c;
        else
            result += QLatin1Char('[') + lower + upper + QLatin1Char(']');
    }
    return result;
}

// The filter text with every pattern matching in any letter case, under the same captions.
QString anyCaseFilters(const QString& filters)
{
    if (filters.isEmpty())
        return filters;
    // Each filter keeps its whole text as its caption and gets the patterns that match in any
    // letter case as its details, which the dialog hides: "PDF Files (*.PDF)" still reads so but
    // lists report.pdf too. Qt's own dialog and the native ones all take the last parenthesis
    // as the patterns.
    QStringList result;
    for (const QString& filter : filters.split(QStringLiteral(";;"))) {
        const QRegularExpressionMatch named = kNamedFilter.match(filter);
        const QString patterns = named.hasMatch() ? named.captured(2) : filter;
        QStringList anyCase;
        for (const QString& pattern : patterns.split(QLatin1Char(' '), Qt::SkipEmptyParts))
            anyCase.append(anyCasePattern(pattern));
        result.append(filter + QStringLiteral(" (") + anyCase.join(QLatin1Char(' ')) +
                      QLatin1Char(')'));
    }
    return result.join(QStringLiteral(";;"));
}

} // namespace

QtDialogs::QtDialogs(QWidget* owner) : m_owner(owner), m_password(std::make_unique<TfrmPassword>())
{
}

QtDialogs::~QtDialogs() = default;

std::optional<QString> QtDialogs::supplyPassword(const QString& userName)
{
    if (m_dismissed)
        return std::nullopt;
    return m_password->ask(userName, m_owner);
}

void QtDialogs::dismissAll()
{
    m_dismissed = true;
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows) {
        if (auto* dialog = qobject_cast<QDialog*>(window); dialog && dialog->isVisible())
            dialog->reject();
    }
}

void QtDialogs::message(const QString& text, Icon icon)
{
    if (m_dismissed)
        return;
    QMessageBox box(toQt(icon), QApplication::applicationDisplayName(), text, QMessageBox::Ok,
                    m_owner);
    box.exec();
}

Dialogs::Answer QtDialogs::ask(const QString& text, bool offerToAll)
{
    if (m_dismissed)
        return Answer::No;
    QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No;
    if (offerToAll)
        buttons |= QMessageBox::YesToAll | QMessageBox::NoToAll;
    QMessageBox box(QMessageBox::Question, QApplication::applicationDisplayName(), text, buttons,
                    m_owner);
    box.setDefaultButton(QMessageBox::Yes);
    // Escape and the close box mean No. Qt picks that button itself only while No is the one
    // button of its kind; beside "No to all" the box could not be dismissed at all.
    box.setEscapeButton(QMessageBox::No);
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
    if (m_dismissed)
        return {};
    // A folder that is gone opens wherever the dialog itself would.
    const QString folder = QFileInfo(request.folder).isDir() ? request.folder : QString();
    QFileDialog dialog(m_owner, request.title, folder, anyCaseFilters(request.filter));
    if (!request.filter.isEmpty())
        dialog.setOption(QFileDialog::HideNameFilterDetails);
    if (request.save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
    } else {
        dialog.setFileMode(request.several ? QFileDialog::ExistingFiles
                                           : QFileDialog::ExistingFile);
    }
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
}

std::optional<QString> QtDialogs::browseFolder(const QString& instruction,
                                               const QString& startFolder)
{
    if (m_dismissed)
        return std::nullopt;
    // From the folder already chosen, or else the top of the user's own files; never from
    // wherever the last dialog happened to be.
    const QString from =
        !startFolder.isEmpty() && QFileInfo(startFolder).isDir() ? startFolder : QDir::homePath();
    const QString folder = QFileDialog::getExistingDirectory(m_owner, instruction, from);
    if (folder.isNull())
        return std::nullopt;
    return folder;
}
