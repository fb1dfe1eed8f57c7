#pragma once

#include "pdfprinter/OutputOptions.h"
#include "pdfprinter/PlacedPicture.h"

#include <QList>
#include <atomic>
#include <stdexcept>

// A job's PDF that could not be written: which file and why, in words for the user.
class PdfOutputError : public std::runtime_error
{
public:
    PdfOutputError(const QString& file, const QString& reason)
        : std::runtime_error((file + QStringLiteral(": ") + reason).toStdString()), m_file(file),
          m_reason(reason)
    {
    }
    const QString& file() const { return m_file; }
    const QString& reason() const { return m_reason; }

private:
    QString m_file;
    QString m_reason;
};

// One job's PDF as the printer writes it from the active profile.
struct PdfJobOutput
{
    QString sourcePdf;             // what the canvas or a renderer produced
    QList<PlacedPicture> pictures; // drawn on top of sourcePdf's pages
    QString title;                 // the job title, which names the file
    bool reproducible = false;     // fixed /ID and no dates, for comparing outputs in tests
};

// Writes the job's PDF into the save folder under the options (name, conflicts, metadata,
// compression, security), atomically and durably. Answers the path written; throws
// PdfOutputError. Once `stop` is set, the writing is dropped at its next write and RunStopped
// thrown: nothing stays behind. Safe on any thread.
QString WriteJobPdf(const PdfJobOutput& job, const OutputOptions& options,
                    const std::atomic_bool& stop);
