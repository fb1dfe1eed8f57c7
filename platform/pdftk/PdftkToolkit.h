#pragma once

#include "conversion/PdfToolkit.h"

#include "platform/process/ProcessCommand.h"

class ProcessLauncher;

// The pdftk command-line toolkit, found beside the program or else on PATH; it merges. (Its
// protection is weak, so the merged file is protected by the PDF printer's own code instead.)
// Waits report progress; on a stop pdftk is killed, its output removed, and RunStopped thrown.
class PdftkToolkit final : public PdfToolkit
{
public:
    // `program`: the toolkit to run; empty: looked up beside the program, then on PATH.
    explicit PdftkToolkit(ProcessLauncher& launcher, QString program = {});

    Result merge(const QStringList& inputs, const QString& output, std::chrono::milliseconds limit,
                 Progress& progress) override;

    static QString locate();

private:
    ProcessLauncher& m_launcher;
    QString m_program;
};

// Reads PDFs with qpdf.
class QpdfChecker final : public PdfChecker
{
public:
    int pageCount(const QString& pdf, const QString& password = {}) override;
};
