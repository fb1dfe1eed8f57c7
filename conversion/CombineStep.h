#pragma once

#include <QList>
#include <QString>

class Progress;

// The PDF a row of a run stands for in the merge.
struct RowPdf
{
    QString file;              // empty: the row has no PDF (it failed, or is not a document)
    bool writtenByRun = false; // only a PDF this run wrote is deleted after the merge
};

// Merges the PDFs of a run into one file after the loop. Answers false when the run must end
// there (the user cancelled, or no merged file was made).
//
// The single PDFs are written unprotected, for the merged file alone carries the password and
// the withheld permissions. Whenever the merge does not happen, the PDFs the run wrote get the
// protection a run without "Create one PDF file" gives them, so none stays unprotected.
class CombineStep
{
public:
    virtual ~CombineStep() = default;

    // `folder` is where the save dialog opens: the documents' own folder.
    // The merge and the writing report to `progress`; a stop throws RunStopped.
    virtual bool combine(const QList<RowPdf>& pdfs, const QString& folder, Progress& progress) = 0;
    // The run was stopped before the merged file was published. Not stopped halfway: the window
    // stays alive through `progress`, whose stop is not taken.
    virtual void protectUnmerged(const QList<RowPdf>& pdfs, Progress& progress) = 0;
};
