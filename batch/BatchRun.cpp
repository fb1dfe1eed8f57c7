#include "batch/BatchRun.h"

#include "batch/FolderEdits.h"
#include "batch/RunLocks.h"
#include "common/Application.h"
#include "common/Dialogs.h"
#include "common/NativeNames.h"
#include "common/PathHelpers.h"
#include "common/ProgramState.h"
#include "conversion/ConversionRun.h"
#include "doclist/DocumentList.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLoggingCategory>
#include <filesystem>
#include <system_error>

Q_LOGGING_CATEGORY(lcBatch, "corvanta.batch", QtWarningMsg)

BatchRun::BatchRun(DocumentList& list, ProgramState& state, FolderEdits& edits,
                   Application& application, Dialogs& dialogs, const RunLocks& locks,
                   Convert convert)
    : m_list(list), m_state(state), m_edits(edits), m_application(application), m_dialogs(dialogs),
      m_locks(locks), m_convert(std::move(convert))
{
}

// Every entry but the subfolders, hidden ones included, in the order the file system gives
// them. Names are taken as the file system's bytes: one that is not valid text is listed under
// its escaped name and still converted. Links, pipes and devices are listed too; the run skips
// them without opening them. The whole folder goes into the list in one piece, sorted once.
void BatchRun::fillFromStartFolder()
{
    QElapsedTimer listing;
    listing.start();
    const QString folder = WithTrailingBackslash(m_state.StartFolder);
    QList<DocumentList::NewDocument> found;
    std::error_code error;
    std::filesystem::directory_iterator entries(QFile::encodeName(folder).toStdString(), error);
    for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
        std::error_code kindError;
        if (entries->symlink_status(kindError).type() == std::filesystem::file_type::directory)
            continue;
        const QByteArray native = QByteArray::fromStdString(entries->path().filename().native());
        bool exact = true;
        const QString name = TextOfFileName(native, &exact);
        found.append({name, folder + name,
                      exact ? QByteArray() : QByteArray::fromStdString(entries->path().native())});
    }
    m_list.addDocuments(std::move(found));
    qCDebug(lcBatch) << "listed" << m_list.DocumentCount() << "entries in" << listing.elapsed()
                     << "ms";
}

BatchEnd BatchRun::RunBatchConversion()
{
    // A bare drive such as "C:" is refused.
    if (m_edits.startFolderText().size() <= 2 || m_edits.destinationFolderText().size() <= 2)
        return BatchEnd::FoldersTooShort;

    // Taken only for a run.
    std::unique_ptr<RunLock> lock;
    if (m_state.BatchMode)
        lock = m_locks.lockRunOf(m_edits.startFolderText());
    if (m_state.BatchMode && !lock) {
        // A scheduled run beside a "Run Now!", or two scheduled runs: the second would rewrite
        // the first one's log and convert every document twice.
        m_dialogs.message(kAlreadyRunningMessage.arg(m_edits.startFolderText()),
                          Dialogs::Icon::Warning);
        return BatchEnd::AlreadyRunning;
    }

    if (m_list.DocumentCount() > 0)
        m_list.clear();
    m_state.StartFolder = m_edits.startFolderText();
    m_state.DestinationFolder = m_edits.destinationFolderText();
    if (!m_state.BatchMode)
        return BatchEnd::NotBatchMode;

    fillFromStartFolder();
    const bool empty = m_list.DocumentCount() == 0;
    const RunEnd end = m_convert();
    m_application.processMessages();
    m_state.BatchMode = false;
    if (empty)
        return BatchEnd::EmptyFolder;
    switch (end) {
    case RunEnd::Finished:
        return BatchEnd::Finished;
    case RunEnd::Stopped:
        return BatchEnd::Stopped;
    case RunEnd::EmptyList:
    case RunEnd::EndedEarly:
        break;
    }
    return BatchEnd::EndedEarly;
}
