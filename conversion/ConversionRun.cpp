#include "conversion/ConversionRun.h"

#include "app/PathHelpers.h"
#include "batch/ProgramState.h"
#include "conversion/CombineStep.h"
#include "conversion/DocumentNames.h"
#include "conversion/IPdfPrinterOptions.h"
#include "conversion/ImageRoute.h"
#include "conversion/ProfileOptions.h"
#include "conversion/RendererRoutes.h"
#include "conversion/RunForm.h"
#include "conversion/RunObserver.h"
#include "conversion/SecurityForm.h"
#include "conversion/TextRoute.h"
#include "doclist/DocumentList.h"
#include "platform/application/Application.h"
#include "platform/clock/Clock.h"
#include "platform/dialogs/Dialogs.h"

#include <QFileInfo>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcRun, "corvanta.conversion", QtWarningMsg)

using namespace std::chrono_literals;

namespace {

// Keeps the run's commands disabled for exactly as long as the run lasts.
class RunningScope
{
public:
    explicit RunningScope(RunForm& form) : m_form(form) { m_form.setRunning(true); }
    ~RunningScope() { m_form.setRunning(false); }

private:
    RunForm& m_form;
};

bool fileExists(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

} // namespace

ConversionRun::ConversionRun(RunServices services) : m_s(services), m_log(services.clock) {}

bool ConversionRun::batch() const
{
    return m_s.state.BatchMode;
}

void ConversionRun::log(const QString& line)
{
    if (batch())
        m_log.writeLine(line);
}

RunEnd ConversionRun::PNGCreatePDFClick()
{
    m_s.options.MakePdfPrinterDefault();
    m_outputNames = QStringList(m_s.list.DocumentCount(), QString());
    if (m_s.list.DocumentCount() == 0)
        return RunEnd::EmptyList;
    std::fill(std::begin(m_counts), std::end(m_counts), 0);

    RunningScope running(m_s.form);
    try {
        return run();
    } catch (...) {
        endEarly();
        throw;
    }
}

RunEnd ConversionRun::endEarly()
{
    // Even a run cut short gives the default printer back and leaves a complete log.
    m_s.options.RestorePreviousDefaultPrinter();
    m_log.close();
    return RunEnd::EndedEarly;
}

RunEnd ConversionRun::run()
{
    const bool securityAccepted = m_s.profile.UpdateProfileFromDialog();
    if (batch()) {
        const QString path = WithTrailingBackslash(m_s.state.StartFolder) + kBatchLogName;
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

    for (int row = 0; row < m_s.list.DocumentCount(); ++row) {
        if (convertRow(row) == RowEnd::StopRun)
            return endEarly();
    }

    log();
    log(QStringLiteral(" Finished Converstion at ") + m_log.stamp() + QLatin1Char('.'));
    if (m_s.observer)
        m_s.observer->runDone(m_counts[int(RunObserver::RowResult::Converted)],
                              m_counts[int(RunObserver::RowResult::Failed)],
                              m_counts[int(RunObserver::RowResult::Skipped)]);

    m_s.images.clearLoaded();
    m_s.clock.pause(500ms);

    if (m_s.security.combineChosen() && m_s.combiner) {
        QVector<bool> completed(m_s.list.DocumentCount());
        for (int row = 0; row < completed.size(); ++row)
            completed[row] = m_s.list.status(row) == DocumentList::kStatusCompleted;
        if (!m_s.combiner->combine(m_outputNames, completed))
            return endEarly();
    }

    m_s.clock.pause(3000ms);
    m_s.application.processMessages();
    m_s.options.RestorePreviousDefaultPrinter();

    if (batch()) {
        m_log.close();
        m_s.application.processMessages();
        // Only the exact switch ends the program; "-batch" converts but stays open.
        if (m_s.application.firstArgument() == kBatchSwitch)
            m_s.application.terminate();
    }
    return RunEnd::Finished;
}

bool ConversionRun::existingOutputSkips(int row, const DocumentNames& document)
{
    if (!batch()) {
        if (!fileExists(document.expectedPdf))
            return false;
        if (!m_s.dialogs.confirm(QStringLiteral("File ") + document.expectedPdf +
                                 QStringLiteral(" Exists.  Overwrite?"))) {
            m_s.list.setStatus(row, DocumentList::kStatusSkipped);
            return true;
        }
        m_s.list.setStatus(row, DocumentList::kStatusWaiting);
        return false;
    }
    const QString pdfName = DocumentNames::fileNameOf(document.expectedPdf);
    if (!fileExists(WithTrailingBackslash(m_s.state.DestinationFolder) + pdfName))
        return false;
    log(QStringLiteral("File ") + pdfName + QStringLiteral(" exists.  SKIPPING this file"));
    m_s.list.setStatus(row, DocumentList::kStatusSkipped);
    return true;
}

ConversionRun::RowEnd ConversionRun::rowDone(int row, int result)
{
    using Result = RunObserver::RowResult;
    ++m_counts[result];
    m_s.form.repaintStatuses();
    if (m_s.observer)
        m_s.observer->rowDone(row + 1, m_s.list.DocumentCount(), m_s.list.name(row),
                              m_s.list.status(row), static_cast<Result>(result));
    return RowEnd::Next;
}

ConversionRun::RowEnd ConversionRun::convertRow(int row)
{
    using Result = RunObserver::RowResult;
    const DocumentNames document = DocumentNames::of(m_s.list.path(row));
    m_outputNames[row] = document.expectedPdf;

    // A batch list holds every file of the starting folder, the log among them.
    if (document.path.contains(PathSeparator() + kBatchLogName))
        return rowDone(row, int(Result::Ignored));

    if (existingOutputSkips(row, document))
        return rowDone(row, int(Result::Skipped));
    m_s.form.repaintStatuses();

    if (document.path.size() <= 4)
        return RowEnd::StopRun;

    m_s.options.SetTextOption(QStringLiteral("Save Folder"), document.folder, kProfileName, 0);
    if (batch())
        m_s.options.SetTextOption(QStringLiteral("Save Folder"), m_s.state.DestinationFolder,
                                  kProfileName, 0);

    Printed printed = Printed::Yes;
    if (m_s.images.LoadImageDocument(document.path)) {
        if (!m_s.images.PrintLoadedImage(document.expectedPdf))
            printed = Printed::Failed;
        log(document.fileName + QStringLiteral(" file successfully converted"));
        m_s.clock.pause(500ms);
    } else if (document.typeSuffix == QLatin1String("PDF")) {
        log(document.fileName + QStringLiteral(" already in PDF format.  Skipping file"));
        m_s.list.setStatus(row, DocumentList::kStatusSkipped);
        return rowDone(row, int(Result::Skipped));
    } else {
        printed = printByRoute(document);
    }

    m_s.clock.pause(1000ms);
    m_s.list.setStatus(row, DocumentList::kStatusCompleted);
    qCDebug(lcRun) << "converted" << document.path;
    return rowDone(row, int(printed == Printed::Yes ? Result::Converted : Result::Failed));
}

ConversionRun::Printed ConversionRun::printByRoute(const DocumentNames& document)
{
    const Route route = SelectRoute(document.path);
    if (route == Route::PlainText) {
        const bool saved = PrintTextDocument(m_s.printer, document.path, document.expectedPdf);
        log(document.fileName + QStringLiteral(" file successfully converted"));
        return saved ? Printed::Yes : Printed::Failed;
    }
    Printed printed = Printed::Failed;
    switch (m_s.renderers.print(route, document)) {
    case RouteOutcome::Printed:
        log(document.fileName + QStringLiteral(" file successfully converted"));
        printed = Printed::Yes;
        break;
    case RouteOutcome::Failed:
        log(QStringLiteral("Error converting file ") + document.fileName);
        break;
    case RouteOutcome::Unassociated:
        log(QStringLiteral("Error converting file ") + document.fileName +
            QStringLiteral(" Check File Type."));
        break;
    }
    if (route == Route::Shell)
        m_s.clock.pause(300ms);
    return printed;
}
