#pragma once

#include "platform/pdfprinter/OutputOptions.h"
#include "platform/pdfprinter/PlacedPicture.h"

#include <QList>
#include <stdexcept>

class PdfOutputError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
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
// compression, security), atomically. Answers the path written; throws PdfOutputError.
QString WriteJobPdf(const PdfJobOutput& job, const OutputOptions& options);
