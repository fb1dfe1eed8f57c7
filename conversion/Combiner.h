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
inline const QString kNotCombined = QStringLiteral("The PDF files were not combined.");
inline const QString kEachProtected =
    QStringLiteral("Each PDF file this run made is protected on its own instead, as the Settings "
                   "page asks.");
inline const QString kUnprotectableDeleted =
    QStringLiteral("These PDF files could not be protected and were deleted: %1");

// "Create one PDF file": merges the run's PDFs, in list order, into a private folder, then
// publishes the merged file under the name the user chooses in one step, protected as every
// merged file should be. Nothing unprotected ever stands in the user's folder, nothing is deleted
// before the published file is read back, and only the PDFs the run itself wrote are deleted then.
// When the merge does not happen, those PDFs are protected one by one instead.
class Combiner final : public CombineStep
{
public:
    Combiner(PdfToolkit& toolkit, const PdfPublisher& publisher, PdfChecker& checker,
             SecurityForm& security, Dialogs& dialogs);

    bool combine(const QList<RowPdf>& pdfs, const QString& folder, Progress& progress) override;
    void protectUnmerged(const QList<RowPdf>& pdfs, Progress& progress) override;

    // The name the merged file gets for the name chosen in the dialog.
    static QString outputNameFor(const QString& chosen);

private:
    PdfProtection singleProtection() const;
    PdfProtection mergedProtection() const;
    // Empty when the merged file was published and reads back; otherwise the message to show.
    QString publish(const QString& merged, const QString& output, int pages, Progress& progress);
    // Shows `message` (if any) with what became of the PDFs the run wrote.
    void endUnmerged(const QList<RowPdf>& pdfs, const QString& message, Progress& progress);
    // Protects the PDFs the run wrote as single PDFs; answers what the user is told of it, or
    // nothing when no protection is set or the run wrote no PDF.
    QString protectSingles(const QList<RowPdf>& pdfs, Progress& progress);
    void deleteWrittenByRun(const QList<RowPdf>& pdfs, const QString& output);

    PdfToolkit& m_toolkit;
    const PdfPublisher& m_publisher;
    PdfChecker& m_checker;
    SecurityForm& m_security;
    Dialogs& m_dialogs;
};
