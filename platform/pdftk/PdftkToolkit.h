#pragma once

#include "conversion/PdfToolkit.h"

#include "platform/process/ProcessCommand.h"

class ProcessLauncher;

// The pdftk command-line toolkit, found beside the program or else on PATH. Passwords reach it
// on standard input (PROMPT), never on its command line; protection uses AES, with a random
// owner password of its own. Waits report progress; on a stop pdftk is killed, its output
// removed, and RunStopped thrown.
class PdftkToolkit final : public PdfToolkit
{
public:
    // `program`: the toolkit to run; empty: looked up beside the program, then on PATH.
    explicit PdftkToolkit(ProcessLauncher& launcher, QString program = {});

    Result merge(const QStringList& inputs, const QString& output,
                 std::chrono::milliseconds limit) override;
    Result protect(const QString& input, const QString& output, const QString& password,
                   bool allowPrinting, std::chrono::milliseconds limit) override;

    static QString locate();

private:
    ProcessCommand command(const QStringList& arguments, const QByteArray& input,
                           std::chrono::milliseconds limit) const;
    Result run(const QStringList& arguments, const QString& output,
               std::chrono::milliseconds limit);
    static void stopIfCancelled(const ProcessResult& result, const QString& output);
    static Result outcome(const ProcessResult& result);

    ProcessLauncher& m_launcher;
    QString m_program;
};

// Reads PDFs with qpdf.
class QpdfChecker final : public PdfChecker
{
public:
    int pageCount(const QString& pdf, const QString& password = {}) override;
};
