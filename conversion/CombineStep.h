#pragma once

#include <QList>
#include <QString>

// The PDF a row of a run stands for in the merge.
struct RowPdf
{
    QString file;              // empty: the row has no PDF (it failed, or is not a document)
    bool writtenByRun = false; // only a PDF this run wrote is deleted after the merge
};

// Merges the PDFs of a run into one file after the loop. Answers false when the run must end
// there (the user cancelled, or no merged file was made).
class CombineStep
{
public:
    virtual ~CombineStep() = default;

    // `folder` is where the save dialog opens: the documents' own folder.
    virtual bool combine(const QList<RowPdf>& pdfs, const QString& folder) = 0;
};
