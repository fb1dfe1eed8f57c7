#include "app/CommandLine.h"

#include "common/NativeNames.h"
#include "platform/settings/FileSettingsStore.h"

#include <QDir>
#include <QFile>
#include <cstdio>

namespace {

const QByteArray kEndOfOptions = QByteArrayLiteral("--");

// The file an argument names, absolute. A name that is not text keeps its bytes as they are.
QByteArray absolutePath(const QByteArray& argument, const QDir& current)
{
    bool exact = true;
    TextOfFileName(argument, &exact);
    if (exact) {
        // Joined by hand: QDir takes a name starting with ':' for one of Qt's resources.
        const QString name = QFile::decodeName(argument);
        return QFile::encodeName(QDir::cleanPath(
            name.startsWith(QLatin1Char('/')) ? name : current.absolutePath() + '/' + name));
    }
    if (argument.startsWith('/'))
        return argument;
    return QFile::encodeName(current.absolutePath()) + '/' + argument;
}

// The exit statuses read as the README's table does.
const char kUsage[] = R"(Usage: corvanta [FILE or FOLDER]...
       corvanta -BATCH
       corvanta --help | --version

Opens the window with the files given in the Generate PDF list, checked as "Add File" checks
them: a file already listed, or a PDF, is refused with a message. A folder adds the plain files
at its top level (not hidden ones, links or subfolders). Relative paths start at the current
folder. After "--" every argument is a file, even one starting with "-".

  -BATCH       converts every file of the stored starting folder into the stored ending folder,
               writes the log Corvanta_Batch.txt into the starting folder and ends by itself;
               without a display every message goes to standard error. It counts only as the
               first argument, and the arguments after it are ignored; in another letter case
               it converts, but the program stays open.
  -h, --help   prints this text
  --version    prints the version

The stored folders are kept in %1

Exit status of corvanta -BATCH:
  0  every document was converted, or deliberately skipped (its PDF existed, it is a PDF, it is
     not a plain file)
  1  the run could not start or did not get to its end: no folders stored, an empty or missing
     starting folder, another run of the same folder, an ending folder that cannot be written,
     a stop, an error that ended it
  2  the run finished, but at least one document could not be converted (see the log and
     standard error)
An option the program does not know ends it with status 1 before anything starts.
)";

} // namespace

CommandLine ParseCommandLine(const QList<QByteArray>& arguments, const QString& currentFolder)
{
    CommandLine command;
    if (!arguments.isEmpty() &&
        QString::fromLocal8Bit(arguments.first()).toUpper() == kBatchSwitch) {
        command.action = CommandLine::Action::Batch;
        return command;
    }
    const QDir current(currentFolder);
    bool options = true;
    for (const QByteArray& argument : arguments) {
        if (argument.isEmpty())
            continue; // an empty path would name the current folder
        if (options && argument == kEndOfOptions) {
            options = false;
            continue;
        }
        if (options && argument.startsWith('-')) {
            if (argument == "--help" || argument == "-h") {
                command.action = CommandLine::Action::Help;
            } else if (argument == "--version") {
                command.action = CommandLine::Action::Version;
            } else {
                command.action = CommandLine::Action::Unknown;
                // Printed on standard error: a line break in it must not forge a line there.
                command.unknown = TextOfFileName(argument);
            }
            command.files.clear();
            return command;
        }
        command.files.append(absolutePath(argument, current));
    }
    return command;
}

std::optional<int> AnswerWithoutStarting(const CommandLine& command)
{
    switch (command.action) {
    case CommandLine::Action::Help:
        std::fputs(UsageText(FileSettingsStore::defaultFileName()).toLocal8Bit().constData(),
                   stdout);
        return kExitConverted;
    case CommandLine::Action::Version:
        std::fputs(VersionText().toLocal8Bit().constData(), stdout);
        return kExitConverted;
    case CommandLine::Action::Unknown:
        // Not the usual 2 of a usage error: a script would read that as a run whose documents
        // failed. The program could not start, which is what 1 says.
        std::fputs((UnknownArgumentText(command.unknown) + QLatin1Char('\n') +
                    UsageText(FileSettingsStore::defaultFileName()))
                       .toLocal8Bit()
                       .constData(),
                   stderr);
        return kExitUnfinished;
    case CommandLine::Action::Start:
    case CommandLine::Action::Batch:
        break;
    }
    return std::nullopt;
}

QString UsageText(const QString& settingsFile)
{
    return QString::fromUtf8(kUsage).arg(settingsFile);
}

QString VersionText()
{
    return QStringLiteral("corvanta " CORVANTA_VERSION "\n");
}

QString UnknownArgumentText(const QString& argument)
{
    if (argument.toUpper() == kBatchSwitch)
        return QStringLiteral("corvanta: %1 counts only as the first argument\n").arg(argument);
    return QStringLiteral("corvanta: unknown option %1 (a file whose name starts with \"-\" goes "
                          "after \"--\")\n")
        .arg(argument);
}
