#include "platform/pdftk/PdftkToolkit.h"

#include "app/PathHelpers.h"
#include "platform/application/Progress.h"
#include "platform/process/ProcessLauncher.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QRandomGenerator>
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

namespace {

// pdftk takes passwords of up to 32 characters; 128 random bits in hexadecimal.
QByteArray randomOwnerPassword()
{
    quint32 words[4];
    QRandomGenerator::system()->fillRange(words);
    return QByteArray(reinterpret_cast<const char*>(words), sizeof words).toHex();
}

std::chrono::milliseconds remaining(const QDeadlineTimer& deadline)
{
    return std::chrono::milliseconds(std::max<qint64>(0, deadline.remainingTime()));
}

} // namespace

ProcessCommand PdftkToolkit::command(const QStringList& arguments, const QByteArray& input,
                                     std::chrono::milliseconds limit) const
{
    ProcessCommand command;
    command.program = m_program;
    command.arguments = arguments;
    command.standardInput = input;
    command.timeLimit = limit;
    command.whileWaiting = [] { return ReportProgress(); };
    return command;
}

void PdftkToolkit::stopIfCancelled(const ProcessResult& result, const QString& output)
{
    if (!result.cancelled)
        return;
    // pdftk was killed while it wrote: nothing of its output may stay.
    QFile::remove(output);
    throw RunStopped();
}

PdfToolkit::Result PdftkToolkit::run(const QStringList& arguments, const QString& output,
                                     std::chrono::milliseconds limit)
{
    if (m_program.isEmpty())
        return {false, false, QStringLiteral("pdftk was not found")};
    const ProcessResult result = m_launcher.run(command(arguments, {}, limit));
    stopIfCancelled(result, output);
    return outcome(result);
}

PdfToolkit::Result PdftkToolkit::outcome(const ProcessResult& result)
{
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
    return run(inputs + QStringList{QStringLiteral("cat"), QStringLiteral("output"), output},
               output, limit);
}

PdfToolkit::Result PdftkToolkit::protect(const QString& input, const QString& output,
                                         const QString& password, bool allowPrinting,
                                         std::chrono::milliseconds limit)
{
    if (m_program.isEmpty())
        return {false, false, QStringLiteral("pdftk was not found")};
    // Without an owner password of its own the document's password would also be the owner's,
    // and whoever opens the file could lift the permissions it withholds.
    QStringList arguments = {input,
                             QStringLiteral("output"),
                             output,
                             QStringLiteral("encrypt_aes128"),
                             QStringLiteral("owner_pw"),
                             QStringLiteral("PROMPT"),
                             QStringLiteral("user_pw"),
                             QStringLiteral("PROMPT")};
    if (allowPrinting)
        arguments << QStringLiteral("allow") << QStringLiteral("printing");

    // pdftk reads each answer with a fresh reader of its input, which would take both lines
    // at once: the second password goes only when pdftk asks for it.
    const QDeadlineTimer deadline(limit);
    const std::unique_ptr<ChildProcess> child =
        m_launcher.start(command(arguments, randomOwnerPassword() + '\n', limit));
    bool asked = false;
    while (!asked && child->isRunning()) {
        const std::optional<QByteArray> line = child->readLine(remaining(deadline));
        if (!line)
            break;
        asked = line->contains("user password");
    }
    if (!asked) {
        // Ended early (its reason is on its error output), or never asked within the limit.
        const ProcessResult result =
            child->isRunning() ? child->kill() : child->finish(std::chrono::milliseconds(0));
        stopIfCancelled(result, output);
        if (!result.succeeded())
            return outcome(result);
        qCWarning(lcPdftk) << "pdftk ended without asking for the document's password";
        return {true, false, QStringLiteral("pdftk did not ask for the document's password")};
    }
    child->writeLine(password.toUtf8());
    const ProcessResult result = child->finish(remaining(deadline));
    stopIfCancelled(result, output);
    return outcome(result);
}
