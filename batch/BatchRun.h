#pragma once

#include <QString>
#include <functional>

class Application;
class Dialogs;
class DocumentList;
class FolderEdits;
class RunLocks;
struct ProgramState;
enum class RunEnd;

// How a bulk conversion ended: an unattended start ends the program by it (Finished, Stopped),
// or says why it did not finish.
enum class BatchEnd
{
    FoldersTooShort, // a folder text of two characters or fewer: nothing was done
    NotBatchMode,    // the list was emptied, nothing converted
    AlreadyRunning,  // another bulk conversion of the same starting folder is going on
    EmptyFolder,     // the starting folder gave no file
    EndedEarly,      // the conversion run stopped before its end
    Stopped,         // the user stopped it
    Finished,
};

inline const QString kAlreadyRunningMessage =
    QStringLiteral("A bulk conversion of %1 is already running. This one ends without "
                   "converting anything; try again when the other has finished.");

// Refills the document list with every file of the starting folder and converts it in batch
// mode. The conversion itself is the `convert` callable (the run behind "Generate PDF").
// One bulk conversion per starting folder runs at a time, across every instance of the program.
class BatchRun
{
public:
    using Convert = std::function<RunEnd()>;

    BatchRun(DocumentList& list, ProgramState& state, FolderEdits& edits, Application& application,
             Dialogs& dialogs, const RunLocks& locks, Convert convert);

    BatchEnd RunBatchConversion();

private:
    void fillFromStartFolder();

    DocumentList& m_list;
    ProgramState& m_state;
    FolderEdits& m_edits;
    Application& m_application;
    Dialogs& m_dialogs;
    const RunLocks& m_locks;
    Convert m_convert;
};
