#pragma once

#include "conversion/CombineStep.h"

#include <QString>

class Dialogs;
class PdfChecker;
class PdfPublisher;
class PdfToolkit;
class SecurityForm;
struct PdfProtection;

inline const QString kCombineStartError = QStringLiteral("Error combining PDF files");
inline const QString kCombineFailed =
    QStringLiteral("Unable to combine the files to a single PDF!");
inline const QString kProtectStartError =
    QStringLiteral("Error combining to secure PDF file! Check for desired security!");

// "Create one PDF file": merges the run's PDFs, in list order, into a private folder, then
// publishes the merged file under the name the user chooses in one step, protected as every
// single PDF is. Nothing unprotected ever stands in the user's folder, nothing is deleted before
// the published file is read back, and only the PDFs the run itself wrote are deleted then.
class Combiner final : public CombineStep
{
public:
    Combiner(PdfToolkit& toolkit, const PdfPublisher& publisher, PdfChecker& checker,
             SecurityForm& security, Dialogs& dialogs);

    bool combine(const QList<RowPdf>& pdfs, const QString& folder) override;

    // The name the merged file gets for the name chosen in the dialog.
    static QString outputNameFor(const QString& chosen);

private:
    PdfProtection protection() const;
    bool publish(const QString& merged, const QString& output, int pages);
    void deleteWrittenByRun(const QList<RowPdf>& pdfs, const QString& output);

    PdfToolkit& m_toolkit;
    const PdfPublisher& m_publisher;
    PdfChecker& m_checker;
    SecurityForm& m_security;
    Dialogs& m_dialogs;
};
