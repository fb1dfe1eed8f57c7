#include "platform/pdftk/PdftkToolkit.h"

#include "common/PathHelpers.h"
#include "common/Progress.h"
#include "platform/process/ProcessLauncher.h"

#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QStandardPaths>

Q_LOGGING_CATEGORY(lcPdftk, "corvanta.pdftk", QtWarningMsg)

PdftkToolkit::PdftkToolkit(ProcessLauncher& launcher, QString program)
    : m_launcher(launcher), m_program(program.isEmpty() ? locate() : std::move(program))
{
}

QString PdftkToolkit::locate()
{
    QString beside = ProgramFolder() + QStringLiteral("pdftk");
    if (QFileInfo(beside).isExecutable())
        return beside;
    return QStandardPaths::findExecutable(QStringLiteral("pdftk"));
}

PdfToolkit::Result PdftkToolkit::merge(const QStringList& inputs, const QString& output,
                                       std::chrono::milliseconds limit, Progress& progress)
{
    if (m_program.isEmpty())
        return {false, false, QStringLiteral("pdftk was not found")};
    ProcessCommand command;
    command.program = m_program;
    command.arguments =
        inputs + QStringList{QStringLiteral("cat"), QStringLiteral("output"), output};
    command.timeLimit = limit;
    command.whileWaiting = [&progress] { return progress.advance(-1); };
    const ProcessResult result = m_launcher.run(command);
    if (result.cancelled) {
        // pdftk was killed while it wrote: nothing of its output may stay.
        QFile::remove(output);
        throw RunStopped();
    }
    if (!result.started)
        return {false, false, result.error};
    if (!result.succeeded()) {
        const QString why = result.timedOut ? QStringLiteral("it did not finish in time")
                            : result.crashed
                                ? QStringLiteral("it crashed")
                                : QString::fromLocal8Bit(result.standardError).trimmed();
        qCWarning(lcPdftk) << "pdftk failed:" << why;
        return {true, false, why};
    }
    return {true, true, {}};
}
