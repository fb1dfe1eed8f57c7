#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

// The switch of the unattended start; the first argument, in any letter case. Only the switch
// written exactly so lets its run end the program.
inline const QString kBatchSwitch = QStringLiteral("-BATCH");

// The exit statuses of a bulk conversion, for the scripts that start one.
inline constexpr int kExitConverted = 0;  // every document was converted or deliberately skipped
inline constexpr int kExitUnfinished = 1; // the run could not start or did not get to its end
inline constexpr int kExitSomeFailed = 2; // the run finished; some documents were not converted

// What the arguments after the program name ask for.
struct CommandLine
{
    enum class Action
    {
        Start,   // the window, with `files` in the document list
        Batch,   // the bulk conversion of the stored folders; the window reads the switch itself
        Help,    // print UsageText and end
        Version, // print VersionText and end
        Unknown, // an option the program does not know: `unknown`
    };

    Action action = Action::Start;
    QList<QByteArray> files; // absolute, in the order given, as the system's bytes
    QString unknown;         // shown with its control characters escaped
};

// The switch counts only as the first argument, in any letter case; the arguments after it are
// left alone. Otherwise every argument is a file or a folder (relative ones start at
// `currentFolder`; a name that is text is cleaned of "." and ".."), except the options before
// "--": the first of --help, -h, --version or an unknown option decides.
CommandLine ParseCommandLine(const QList<QByteArray>& arguments, const QString& currentFolder);

// Prints the answer to --help or --version on standard output, or the text for an unknown option
// on standard error, and gives the exit status; nullopt when the program is to start. Nothing
// of the program has started yet: no display is needed and no file is written.
std::optional<int> AnswerWithoutStarting(const CommandLine& command);

// The texts printed for --help (on standard output) and after a command line not understood (on
// standard error). `settingsFile` is the user's settings file.
QString UsageText(const QString& settingsFile);
QString VersionText();
QString UnknownArgumentText(const QString& argument);
