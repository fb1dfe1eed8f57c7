#include "batch/BatchRun.h"

#include "app/PathHelpers.h"
#include "batch/FolderEdits.h"
#include "batch/ProgramState.h"
#include "doclist/DocumentList.h"
#include "platform/application/Application.h"

#include <QDir>

BatchRun::BatchRun(DocumentList& list, ProgramState& state, FolderEdits& edits,
                   Application& application, Convert convert)
    : m_list(list), m_state(state), m_edits(edits), m_application(application),
      m_convert(std::move(convert))
{
}

BatchEnd BatchRun::RunBatchConversion()
{
    // A bare drive such as "C:" is refused.
    if (m_edits.startFolderText().size() <= 2 || m_edits.destinationFolderText().size() <= 2)
        return BatchEnd::FoldersTooShort;
    if (m_list.DocumentCount() > 0)
        m_list.clear();
    m_state.StartFolder = m_edits.startFolderText();
    m_state.DestinationFolder = m_edits.destinationFolderText();
    if (!m_state.BatchMode)
        return BatchEnd::NotBatchMode;

    // Every file, hidden ones included, in the order the file system gives them; no subfolder.
    const QString folder = WithTrailingBackslash(m_state.StartFolder);
    const QDir dir(folder);
    const QStringList names =
        dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Unsorted);
    for (const QString& name : names)
        m_list.FillGrid(name, folder + name);

    const bool finished = m_convert();
    m_application.processMessages();
    m_state.BatchMode = false;
    if (names.isEmpty())
        return BatchEnd::EmptyFolder;
    return finished ? BatchEnd::Finished : BatchEnd::EndedEarly;
}
