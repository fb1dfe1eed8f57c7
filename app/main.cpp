// Program entry: answers --help and --version, and refuses an unknown option, before anything
// else starts (no display needed, no file written); then picks the display (none: the offscreen
// platform and unattended dialogs), builds the program and starts it, which on an unattended
// start runs the whole conversion, and runs the message loop unless that conversion already
// ended the program.
#include "app/CommandLine.h"
#include "app/Program.h"
#include "app/ProgramEnvironment.h"
#include "platform/files/ScratchArea.h"

#include <QApplication>
#include <QDir>

int main(int argc, char** argv)
{
    // Taken before Qt removes the options it knows: the switch counts only as the first argument.
    // As bytes: a file's name need not be text.
    QList<QByteArray> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QByteArray(argv[i]));

    const CommandLine command = ParseCommandLine(arguments, QDir::currentPath());
    if (const std::optional<int> status = AnswerWithoutStarting(command))
        return *status;

    // First: every temporary file of the run, and of the programs it starts, goes into a
    // private folder that the run removes at its end, or the next run if this one is killed.
    const auto scratch = ScratchArea::forThisRun();
    ChooseDisplayPlatform();
    // Qt takes its own options from what it is given: outside a batch start, where everything
    // after the switch is ignored as it always was, every argument is a file, even one named
    // like a Qt option ("corvanta -- -reverse").
    int qtArgc = command.action == CommandLine::Action::Batch ? argc : 1;
    QApplication app(qtArgc, argv);
    const bool unattended = RunsUnattended();
    QApplication::setOrganizationName(QStringLiteral("Corvanta"));
    QApplication::setApplicationName(QStringLiteral("Corvanta"));
    QApplication::setApplicationDisplayName(QStringLiteral("Corvanta Bulk PDF Conversion Tool"));
    // Ties the window to its menu entry and icon on Wayland and in docks.
    QGuiApplication::setDesktopFileName(QStringLiteral(CORVANTA_APP_ID));

    ProgramEnvironment environment(unattended, arguments);
    Program program(environment.services());
    program.start();
    environment.attachWindow(&program.window());
    if (environment.application().terminated())
        return environment.exitStatus(program);
    if (unattended) {
        // Without a display nobody could ever close the window: say why the run stayed open.
        environment.reportUnfinished(program);
        return 1;
    }
    program.window().show();
    const int status = QApplication::exec();
    return status != 0 ? status : environment.exitStatus(program);
}
