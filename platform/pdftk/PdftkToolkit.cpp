#include "platform/pdftk/PdftkToolkit.h"

#include "app/PathHelpers.h"
#include "platform/process/ProcessLauncher.h"

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
    const QString beside = ProgramFolder() + QStringLiteral("pdftk");
    if (QFileInfo(beside).isExecutable())
        return beside;
    return QStandardPaths::findExecutable(QStringLiteral("pdftk"));
}

PdfToolkit::Result PdftkToolkit::run(const QStringList& arguments, const QByteArray& input,
                                     std::chrono::milliseconds limit)
{
    if (m_program.isEmpty())
        return {false, false, QStringLiteral("pdftk was not found")};
    ProcessCommand command;
    command.program = m_program;
    command.arguments = arguments;
    command.standardInput = input;
    command.timeLimit = limit;
    const ProcessResult result = m_launcher.run(command);
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

PdfToolkit::Result PdftkToolkit::merge(const QStringList& inputs, const QString& output,
                                       std::chrono::milliseconds limit)
{
    return run(inputs + QStringList{QStringLiteral("cat"), QStringLiteral("output"), output}, {},
               limit);
}

PdfToolkit::Result PdftkToolkit::protect(const QString& input, const QString& output,
                                         const QString& password, bool allowPrinting,
                                         std::chrono::milliseconds limit)
{
    QStringList arguments = {input,
                             QStringLiteral("output"),
                             output,
                             QStringLiteral("encrypt_aes128"),
                             QStringLiteral("user_pw"),
                             QStringLiteral("PROMPT")};
    if (allowPrinting)
        arguments << QStringLiteral("allow") << QStringLiteral("printing");
    return run(arguments, password.toUtf8() + '\n', limit);
}
