#pragma once

#include "conversion/PdfToolkit.h"

// Publishes a finished PDF with libqpdf, protected exactly as the PDF printer protects each
// single PDF (ApplySecurity), and written as it writes them (OutputFile): a temporary file in
// the target folder, written through its own descriptor, synced, then renamed over the final
// name. The protection is applied while the file is written, so the final name never holds
// an unprotected copy. Writes on a thread of its own while the window's thread reports
// progress; a stop drops the file.
class QpdfPublisher final : public PdfPublisher
{
public:
    Result publish(const QString& input, const QString& output, const PdfProtection& protection,
                   Progress& progress) const override;
};

// It holds no state, so one serves everyone.
inline const QpdfPublisher kQpdfPublisher;
