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

    // The answers to a question; the "to all" ones only when they were offered.
    enum class Answer
    {
        Yes,
        No,
        YesToAll,
        NoToAll
    };

    struct FileRequest
    {
        QString title;  // empty: the dialog's default title
        QString filter; // Qt filter text; empty: every file
        bool save = false;
        bool several = false; // an open dialog that takes several files at once
        QString folder;       // where the dialog opens; empty: the dialog's own choice
    };

    virtual ~Dialogs() = default;

    // A modal message with an OK button.
    virtual void message(const QString& text, Icon icon = Icon::None) = 0;
    // A Yes/No question, with "Yes to all" and "No to all" as well when `offerToAll` is set.
    virtual Answer ask(const QString& text, bool offerToAll) = 0;
    // A file dialog: the chosen files (one unless the request takes several); empty when the
    // user cancelled.
    virtual QStringList chooseFiles(const FileRequest& request) = 0;
    // The folder browser, opened at `startFolder` when that is an existing folder; nullopt when
    // the user cancelled.
    virtual std::optional<QString> browseFolder(const QString& instruction,
                                                const QString& startFolder = {}) = 0;

    // The credentials dialog for the account `userName`: the password given (an empty one
    // included); nullopt when the dialog was abandoned.
    virtual std::optional<QString> supplyPassword(const QString& userName) = 0;

    // Nobody is there to answer any more (the session is ending): the dialogs open are dismissed
    // as Escape dismisses them, and every later one is answered so at once.
    virtual void dismissAll() {}

    // A Yes/No confirmation; true for Yes.
    bool confirm(const QString& text) { return ask(text, false) == Answer::Yes; }
    // One file; an empty text when the user cancelled.
    QString chooseFile(const FileRequest& request)
    {
        const QStringList files = chooseFiles(request);
        return files.isEmpty() ? QString() : files.first();
    }
};
