#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// Every message box, confirmation and file or folder dialog of the program goes through here.
// The interactive implementation shows Qt dialogs; an unattended run writes each message to
// standard error and answers at once; tests script the answers and read back what was shown.
class Dialogs
{
public:
    enum class Icon
    {
        None,
        Information,
        Warning,
        Error
    };

    struct FileRequest
    {
        QString title;  // empty: the dialog's default title
        QString filter; // Qt filter text; empty: every file
        bool save = false;
    };

    virtual ~Dialogs() = default;

    // A modal message with an OK button.
    virtual void message(const QString& text, Icon icon = Icon::None) = 0;
    // A Yes/No confirmation; true for Yes.
    virtual bool confirm(const QString& text) = 0;
    // A file dialog; an empty text when the user cancelled.
    virtual QString chooseFile(const FileRequest& request) = 0;
    // The folder browser; nullopt when the user cancelled.
    virtual std::optional<QString> browseFolder(const QString& instruction) = 0;
};
