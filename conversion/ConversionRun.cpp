#include "conversion/ConversionRun.h"

#include "common/Application.h"
#include "common/Clock.h"
#include "common/Dialogs.h"
#include "common/PathHelpers.h"
#include "common/ProgramState.h"
#include "common/Progress.h"
#include "conversion/DocumentFile.h"
#include "conversion/DocumentNames.h"
#include "conversion/IPdfPrinterOptions.h"
#include "conversion/IPrinter.h"
#include "conversion/ImageRoute.h"
#include "conversion/ProfileOptions.h"
#include "conversion/RouteTable.h"
#include "conversion/RowProgress.h"
#include "conversion/RunControl.h"
#include "conversion/RunForm.h"
#include "conversion/SecurityForm.h"
#include "conversion/TextRoute.h"
#include "doclist/DocumentList.h"

#include <QFileInfo>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcRun, "corvanta.conversion", QtWarningMsg)

using namespace std::chrono_literals;

namespace {

// Keeps the run's commands disabled, and the list's names fixed, for exactly as long as the run
// lasts.
class RunningScope
{
public:
    RunningScope(RunForm& form, DocumentList& list) : m_form(form), m_list(list)
    {
        m_form.setRunning(true);
        m_list.setLocked(true);
    }
    ~RunningScope()
    {
        m_list.setLocked(false);
        m_form.setRunning(false);
    }

private:
    RunForm& m_form;
    DocumentList& m_list;
};

bool fileExists(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

} // namespace

ConversionRun::ConversionRun(RunServices services)
    : m_s(services), m_log(services.clock, services.logFiles)
{
}

ConversionRun::~ConversionRun() = default;

bool ConversionRun::batch() const
{
    return m_s.state.BatchMode;
}

bool ConversionRun::isRunLog(const QString& path) const
{
    return RunPlan::isBatchLog(path, m_startFolder);
}

void ConversionRun::log(const QString& line)
{
    if (batch())
        m_log.writeLine(line);
}

// Why a row was not converted goes into the log, and onto the row for the window.
void ConversionRun::explain(int row, const QString& line)
{
    log(line);
    m_s.list.setReason(row, line);
}

RunEnd ConversionRun::PNGCreatePDFClick()
{
    const RunControl::Running going(m_s.control);
    m_s.options.MakePdfPrinterDefault();
    const int count = m_s.list.DocumentCount();
    m_outputNames = QStringList(count, QString());
    m_rowPdfs = QList<RowPdf>(count);
    m_summary = {};
    m_overwriteAll.reset();
    if (count == 0)
        return RunEnd::EmptyList;

    m_s.control.reset();
    RunningScope running(m_s.form, m_s.list);
    m_progress = std::make_unique<RowProgress>(m_s.list, m_s.form, m_s.application, m_s.control);
    try {
        return run();
    } catch (...) {
        endEarly();
        throw;
    }
}

RunEnd ConversionRun::endEarly()
{
    m_s.routes.forgetPrepared();
    m_opened.clear();
    // Even a run cut short gives the default printer back and leaves a complete log.
    forgetPassword();
    m_s.options.RestorePreviousDefaultPrinter();
    m_log.close();
    return RunEnd::EndedEarly;
}

RunEnd ConversionRun::run()
{
    // The folders as they stand now: browsing to another folder during the run changes nothing.
    m_startFolder = m_s.state.StartFolder;
    m_destination = m_s.state.DestinationFolder;
    const bool securityAccepted = m_s.profile.UpdateProfileFromDialog();
    if (batch()) {
        const QString path = WithTrailingBackslash(m_startFolder) + kBatchLogName;
        QString error;
        if (!m_log.open(path, &error))
            m_s.dialogs.message(QStringLiteral("Error opening log file ") + error);
    }
    m_s.clock.pause(1000ms);

    if (m_s.security.passwordWanted() && m_s.security.password().isEmpty()) {
        m_s.dialogs.message(kNoPasswordMessage);
        return endEarly();
    }
    if (!securityAccepted)
        return endEarly();

    m_s.options.SelectActiveProfile(kProfileName, 0);
    m_s.options.AttachMessageWindow(m_s.window);
    m_s.options.NotifyDocumentPath(QString());

    log(QStringLiteral("Starting Corvanta Batch job at ") + m_log.stamp());
    log();
    log();
    log(QStringLiteral("Started converstion for %1 files at ").arg(m_s.list.DocumentCount()) +
        m_log.stamp());
    log();
    log();

    if (batch() && !destinationWritable()) {
        log();
        log(QStringLiteral(" Finished Converstion at ") + m_log.stamp() + QLatin1Char('.'));
        return endEarly();
    }

    m_plan = RunPlan::make(m_s.list, batch(), m_destination, m_startFolder);
    // The rows there are now: a page scanned meanwhile waits for the next run.
    const int rows = int(m_outputNames.size());
    for (int row = 0; row < rows; ++row) {
        if (m_s.control.stopRequested()) {
            m_summary.stopped = true;
            break;
        }
        if (convertRow(row) == RowEnd::StopRun)
            return endEarly();
    }
    if (m_summary.stopped)
        log(QStringLiteral("Conversion stopped by the user; the remaining files were not "
                           "converted."));

    log();
    log(QStringLiteral(" Finished Converstion at ") + m_log.stamp() + QLatin1Char('.'));
    if (m_s.observer)
        m_s.observer->runDone(m_summary);

    m_s.routes.forgetPrepared();
    m_s.routes.image().clearLoaded();
    m_opened.clear();
    m_s.clock.pause(500ms);

    // A stopped run merges nothing: merging deletes the files it merged.
    if (m_s.security.combineChosen() && m_s.combiner) {
        if (m_summary.stopped)
            m_s.combiner->protectUnmerged(m_rowPdfs, *m_progress);
        else if (!combine())
            return endEarly();
    }

    m_s.clock.pause(3000ms);
    m_s.application.processMessages();
    forgetPassword();
    m_s.options.RestorePreviousDefaultPrinter();

    // The program's end is the caller's, which knows whether this is the unattended start's run.
    if (batch()) {
        m_log.close();
        m_s.application.processMessages();
    }
    return m_summary.stopped ? RunEnd::Stopped : RunEnd::Finished;
}

// An ending folder that cannot take a file is found once, before the first document, instead
// of failing every document on its own.
bool ConversionRun::destinationWritable()
{
    const QString reason = FolderWriteProblem(m_destination);
    if (reason.isEmpty())
        return true;
    m_s.dialogs.message(kEndingFolderUnwritable.arg(m_destination, reason), Dialogs::Icon::Warning);
    log(QStringLiteral("Cannot write PDF files into %1: %2.  No files converted.")
            .arg(m_destination, reason));
    for (int row = 0; row < m_s.list.DocumentCount(); ++row) {
        if (!isRunLog(m_s.list.path(row)))
            ++m_summary.failed;
    }
    if (m_s.observer)
        m_s.observer->runDone(m_summary);
    return false;
}

// The printer holds the password for this run only.
void ConversionRun::forgetPassword()
{
    if (m_s.security.passwordWanted())
        m_s.options.SetPasswordOption(kUserPasswordOption, QString(), kProfileName, 0);
}

bool ConversionRun::combine()
{
    const QString folder =
        DocumentNames::of(m_s.list.DocumentCount() > 0 ? m_s.list.path(0) : QString()).folder;
    try {
        return m_s.combiner->combine(m_rowPdfs, batch() ? m_destination : folder, *m_progress);
    } catch (const RunStopped&) {
        m_summary.stopped = true;
    }
    // Nothing was merged or deleted; the run closes as a stopped one.
    m_s.combiner->protectUnmerged(m_rowPdfs, *m_progress);
    return true;
}

bool ConversionRun::overwrite(const QString& question)
{
    if (m_overwriteAll)
        return *m_overwriteAll;
    switch (m_s.dialogs.ask(question, m_plan.existingOutputs >= 2)) {
    case Dialogs::Answer::Yes:
        return true;
    case Dialogs::Answer::No:
        return false;
    case Dialogs::Answer::YesToAll:
        m_overwriteAll = true;
        return true;
    case Dialogs::Answer::NoToAll:
        m_overwriteAll = false;
        return false;
    }
    return false;
}

bool ConversionRun::existingOutputSkips(int row, const DocumentNames& document)
{
    const QString output = RunPlan::outputFileOf(document.path, batch(), m_destination);
    if (!fileExists(output))
        return false;
    if (!batch()) {
        if (!overwrite(QStringLiteral("File ") + document.expectedPdf +
                       QStringLiteral(" Exists.  Overwrite?"))) {
            m_s.list.setStatus(row, DocumentList::kStatusSkipped);
            m_rowPdfs[row] = {output, false};
            return true;
        }
        m_s.list.setStatus(row, DocumentList::kStatusWaiting);
        return false;
    }
    explain(row, QStringLiteral("File ") + DocumentNames::fileNameOf(output) +
                     QStringLiteral(" exists.  SKIPPING this file"));
    m_s.list.setStatus(row, DocumentList::kStatusSkipped);
    m_rowPdfs[row] = {output, false};
    return true;
}

ConversionRun::RowEnd ConversionRun::rowDone(int row, Result result)
{
    switch (result) {
    case Result::Converted:
        ++m_summary.converted;
        break;
    case Result::Failed:
        ++m_summary.failed;
        break;
    case Result::Skipped:
        ++m_summary.skipped;
        break;
    case Result::Stopped:
        m_summary.stopped = true;
        break;
    case Result::Ignored:
        break;
    }
    m_progress->end(); // whatever waits after the row (the merge) shows on no row
    m_s.form.repaintStatuses();
    if (m_s.observer)
        m_s.observer->rowDone(row + 1, m_s.list.DocumentCount(), m_s.list.name(row),
                              m_s.list.status(row), result);
    // What the printer reported about this row (a file it could not save) is shown now, with
    // the row, not after the whole run.
    m_s.application.processMessages();
    return RowEnd::Next;
}

ConversionRun::RowEnd ConversionRun::convertRow(int row)
{
    const RowEnd end = convertOpened(row);
    m_opened.erase(row); // whichever way the row ended, its file is closed
    return end;
}

ConversionRun::RowEnd ConversionRun::convertOpened(int row)
{
    DocumentNames document = DocumentNames::of(m_s.list.path(row));
    m_outputNames[row] = document.expectedPdf;
    m_s.list.setReason(row, QString()); // an earlier run's

    // A batch list holds every file of the starting folder, the log among them.
    if (isRunLog(document.path))
        return rowDone(row, Result::Ignored);
    // What is converted is what is opened now (or was when the row was prepared), not what the
    // name showed when the run began: a file of a folder others write to may have been swapped
    // for a link or a pipe meanwhile.
    const bool notAFile = m_plan.kinds.value(row) == DocumentFileKind::NotAFile ||
                          opened(row).kind == DocumentFileKind::NotAFile;
    if (notAFile) {
        explain(row, document.fileName + QStringLiteral(" is not a regular file.  Skipping file"));
        m_s.list.setStatus(row, DocumentList::kStatusSkipped);
        return rowDone(row, Result::Skipped);
    }
    const int sameAs = m_plan.sameOutputAs.value(row, -1);
    if (sameAs >= 0) {
        const QString pdfName =
            DocumentNames::fileNameOf(RunPlan::outputFileOf(document.path, batch(), m_destination));
        explain(row, QStringLiteral("Error converting file %1: %2 makes the same PDF file %3")
                         .arg(document.fileName, m_s.list.name(sameAs), pdfName));
        m_s.list.setStatus(row, QStringLiteral("Same PDF name as ") + m_s.list.name(sameAs));
        return rowDone(row, Result::Failed);
    }

    if (existingOutputSkips(row, document))
        return rowDone(row, Result::Skipped);
    m_s.form.repaintStatuses();

    if (document.path.size() <= 4)
        return RowEnd::StopRun;

    // Each PDF goes beside its document, or into the ending folder of a bulk conversion.
    m_s.options.SetTextOption(QStringLiteral("Save Folder"),
                              batch() ? m_destination : document.folder, kProfileName, 0);

    const Route route = RouteTable::routeOf(document.path);
    if (route == Route::Pdf) {
        explain(row, document.fileName + QStringLiteral(" already in PDF format.  Skipping file"));
        m_s.list.setStatus(row, DocumentList::kStatusSkipped);
        m_rowPdfs[row] = {document.path, false};
        return rowDone(row, Result::Skipped);
    }

    document.source = opened(row).readable;
    prepareAhead(row, *m_s.routes.printing(route), document);
    m_progress->start(row);
    RouteResult result;
    try {
        result = print(row, route, document);
    } catch (const RunStopped&) {
        m_s.list.setStatus(row, DocumentList::kStatusStopped);
        qCDebug(lcRun) << "stopped while converting" << document.path;
        return rowDone(row, Result::Stopped);
    }
    finishRow(row, document, result);
    return rowDone(row,
                   result.outcome == RouteOutcome::Printed ? Result::Converted : Result::Failed);
}

const OpenedDocument& ConversionRun::opened(int row)
{
    auto found = m_opened.find(row);
    if (found == m_opened.end()) {
        // A bulk conversion does not follow links planted in a folder others can write to.
        found = m_opened
                    .emplace(row, m_s.opener.open(m_s.list.path(row), m_s.list.nativePath(row),
                                                  batch() ? m_startFolder : QString(), !batch()))
                    .first;
    }
    return found->second;
}

// Routes that lay out several documents at once start on this row's document and on the next
// ones the run will surely hand them; the rows still end, and are logged, in their order.
void ConversionRun::prepareAhead(int row, PrintRoute& route, const DocumentNames& document)
{
    constexpr int kRowsLookedAt = 16;
    constexpr int kRowsPrepared = 3; // a renderer takes as many as it has offices free
    route.prepare({document.path, document.source});
    const int rows = int(m_outputNames.size());
    for (int next = row + 1, prepared = 0;
         next < rows && next <= row + kRowsLookedAt && prepared < kRowsPrepared; ++next) {
        if (willBeRendered(next) && opened(next).kind == DocumentFileKind::Regular) {
            const QString path = m_s.list.path(next);
            if (PrintRoute* upcoming = m_s.routes.printing(RouteTable::routeOf(path)))
                upcoming->prepare({path, opened(next).readable});
            ++prepared;
        }
    }
}

// Rows the run will not skip, as far as can be known before their turn.
bool ConversionRun::willBeRendered(int row) const
{
    const QString path = m_s.list.path(row);
    if (isRunLog(path) || m_plan.kinds.value(row) == DocumentFileKind::NotAFile ||
        m_plan.sameOutputAs.value(row, -1) >= 0)
        return false;
    return !fileExists(RunPlan::outputFileOf(path, batch(), m_destination));
}

RouteResult ConversionRun::print(int row, Route route, const DocumentNames& document)
{
    RouteResult result = m_s.routes.printing(route)->print({document.path, document.source},
                                                           document.expectedPdf, *m_progress);
    tell(route, document, result);
    if (result.outcome == RouteOutcome::Printed) {
        log(document.fileName + QStringLiteral(" file successfully converted"));
        m_rowPdfs[row] = {m_s.printer.savedFile(), true};
    }
    // Time for the printer to take the job; the shell's printing application runs on by itself.
    if (route == Route::Image)
        m_s.clock.pause(500ms);
    else if (route == Route::Shell)
        m_s.clock.pause(300ms);
    return result;
}

// Routes only report their failures: the user is told of each here, once, in the words of its
// route. What the printer could not save, the printer reports itself.
void ConversionRun::tell(Route route, const DocumentNames& document, const RouteResult& result)
{
    if (result.outcome != RouteOutcome::Failed || result.printerReports)
        return;
    switch (route) {
    case Route::Image:
        m_s.dialogs.message(kImageNotLoaded.arg(document.path, result.reason));
        break;
    case Route::PlainText:
        m_s.dialogs.message(TextNotPrinted(document.path, result.reason), Dialogs::Icon::Error);
        break;
    default:
        m_s.dialogs.message(result.reason, Dialogs::Icon::Error);
        break;
    }
}

void ConversionRun::finishRow(int row, const DocumentNames& document, const RouteResult& result)
{
    const bool printed = result.outcome == RouteOutcome::Printed;
    if (result.outcome == RouteOutcome::Unassociated)
        explain(row, QStringLiteral("Error converting file ") + document.fileName +
                         QStringLiteral(" Check File Type."));
    else if (!printed)
        // The reason, where one is known, tells an administrator reading the log what to mend.
        explain(row,
                QStringLiteral("Error converting file ") + document.fileName +
                    (result.reason.isEmpty() ? QString() : QStringLiteral(": ") + result.reason));
    m_s.clock.pause(1000ms);
    m_s.list.setStatus(row, printed ? DocumentList::kStatusCompleted : DocumentList::kStatusError);
    qCDebug(lcRun) << (printed ? "converted" : "failed") << document.path;
}
