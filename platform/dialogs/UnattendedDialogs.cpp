#include "platform/dialogs/UnattendedDialogs.h"

#include "common/NativeNames.h"

namespace {

const char* prefix(Dialogs::Icon icon)
{
    switch (icon) {
    case Dialogs::Icon::Information:
        return "information: ";
    case Dialogs::Icon::Warning:
        return "warning: ";
    case Dialogs::Icon::Error:
        return "error: ";
    case Dialogs::Icon::None:
        break;
    }
    return "message: ";
}

} // namespace

// Every line on standard error starts with the program's name; a message of several lines
// keeps its lines, and no control character in it (from a file name, say) can start another.
void UnattendedDialogs::write(const QString& text)
{
    for (const QString& line : text.split(QLatin1Char('\n')))
        std::fprintf(m_out, "corvanta: %s\n", EscapeControlCharacters(line).toUtf8().constData());
    std::fflush(m_out);
}

void UnattendedDialogs::message(const QString& text, Icon icon)
{
    ++m_messages;
    write(QString::fromLatin1(prefix(icon)) + text);
}

Dialogs::Answer UnattendedDialogs::ask(const QString& text, bool offerToAll)
{
    // Yes to this question only: each following one is still asked, and shows in the log.
    ++m_messages;
    const QString offered =
        offerToAll ? QStringLiteral("Yes, No, Yes to all, No to all") : QStringLiteral("Yes, No");
    write(QStringLiteral("question: %1 (offered %2; answered Yes)").arg(text, offered));
    return Answer::Yes;
}

std::optional<QString> UnattendedDialogs::supplyPassword(const QString& userName)
{
    write(QStringLiteral("credentials dialog for %1 abandoned: nobody is there to answer it")
              .arg(userName));
    return std::nullopt;
}

QStringList UnattendedDialogs::chooseFiles(const FileRequest& request)
{
    write(QStringLiteral("file dialog \"%1\" cancelled: nobody is there to answer it")
              .arg(request.title));
    return {};
}

std::optional<QString> UnattendedDialogs::browseFolder(const QString& instruction, const QString&)
{
    write(QStringLiteral("folder dialog \"%1\" cancelled: nobody is there to answer it")
              .arg(instruction));
    return std::nullopt;
}
