#pragma once

#include <QString>
#include <functional>

class Application;
class DocumentList;
class FolderEdits;
struct ProgramState;

// How a bulk conversion ended, so an unattended start can say why it did not finish.
enum class BatchEnd
{
    FoldersTooShort, // a folder text of two characters or fewer: nothing was done
    NotBatchMode,    // the list was emptied, nothing converted
    EmptyFolder,     // the starting folder gave no file
    EndedEarly,      // the conversion run stopped before its end
    Finished,
};

// Refills the document list with every file of the starting folder and converts it in batch
// mode. The conversion itself is the `convert` callable (the run behind "Generate PDF"), which
// answers whether it got to its end.
class BatchRun
{
public:
    using Convert = std::function<bool()>;

    BatchRun(DocumentList& list, ProgramState& state, FolderEdits& edits, Application& application,
             Convert convert);

    BatchEnd RunBatchConversion();

private:
    DocumentList& m_list;
    ProgramState& m_state;
    FolderEdits& m_edits;
    Application& m_application;
    Convert m_convert;
};
