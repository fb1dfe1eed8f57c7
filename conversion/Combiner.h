#pragma once

#include "conversion/CombineStep.h"

#include <QString>

class Dialogs;
class PdfChecker;
class PdfToolkit;
class SecurityForm;

inline const QString kCombineStartError = QStringLiteral("Error combining PDF files");
inline const QString kCombineFailed =
    QStringLiteral("Unable to combine the files to a single PDF!");
inline const QString kProtectStartError =
    QStringLiteral("Error combining to secure PDF file! Check for desired security!");

// "Create one PDF file": merges the run's PDFs, in list order, into one file the user names and
// protects it when a password is set. Nothing is deleted before what replaces it is verified,
// and only the PDFs the run itself wrote are deleted then.
class Combiner final : public CombineStep
{
public:
    Combiner(PdfToolkit& toolkit, PdfChecker& checker, SecurityForm& security, Dialogs& dialogs);

    bool combine(const QList<RowPdf>& pdfs, const QString& folder) override;

    // The name the merged file gets for the name chosen in the dialog.
    static QString outputNameFor(const QString& chosen);
    // The intermediate, unprotected file of a protected merge.
    static QString intermediateNameFor(const QString& chosen);

private:
    bool protect(const QString& intermediate, const QString& output, int pages);

    PdfToolkit& m_toolkit;
    PdfChecker& m_checker;
    SecurityForm& m_security;
    Dialogs& m_dialogs;
};
