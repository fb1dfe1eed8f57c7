#include "app/Program.h"

#include "app/CommandLine.h"
#include "common/Application.h"
#include "common/Dialogs.h"
#include "common/PathHelpers.h"
#include "conversion/Combiner.h"
#include "conversion/ConversionRun.h"
#include "conversion/IPdfPrinterOptions.h"
#include "conversion/ImageRoute.h"
#include "conversion/PrintHandlerTable.h"
#include "conversion/ProfileOptions.h"
#include "conversion/RenderedRoute.h"
#include "conversion/RouteTable.h"
#include "conversion/TextRoute.h"
#include "platform/application/StopSignals.h"
#include "platform/com/ComApartment.h"
#include "ui/LinkLabel.h"
#include "ui/ReportListView.h"
#include "ui_MainForm.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>

namespace {

const QString kPrinterName = QStringLiteral("Corvanta");

// The runs that got to their closing steps (the log closed, the default printer given back).
bool ranToItsEnd(BatchEnd end)
{
    return end == BatchEnd::Finished || end == BatchEnd::Stopped;
}

} // namespace

Program::Program(MainFormServices services)
    : m_s(std::move(services)), m_window(std::make_unique<TfrmMain>(m_s, m_documents)),
      m_controls(m_window->controls()), m_bulkProgress(m_controls, m_state, m_s.observer),
      m_documentCommands(m_documents, m_s.dialogs, m_controls),
      m_batchRun(m_documents, m_state, m_controls, m_s.application, m_s.dialogs, m_s.runLocks,
                 [this] { return runConversion(); }),
      m_folderCommands(m_state, m_controls, m_s.dialogs),
      m_folderSettings(m_s.settings, m_state, m_controls)
{
    if (m_s.scheduler && m_s.account)
        m_jobs = std::make_unique<JobScheduling>(JobScheduling::Services{
            m_state, m_controls, m_folderSettings, m_controls, *m_s.scheduler, *m_s.account,
            m_s.dialogs, m_s.clock, [this] { m_window->runNow(); },
            QCoreApplication::applicationFilePath(), ProgramDataFolder() + kQueryFileName});
    // Pages a killed window left behind go now, never those of a window still open.
    m_pageFiles = std::make_unique<ScannedPageFiles>(ProgramDataFolder());
    if (m_s.scanners) {
        ScanControl1 = std::make_unique<TScanControl>(*m_s.scanners);
        m_scanPage = std::make_unique<ScanPage>(*ScanControl1, m_documents, m_controls, m_controls,
                                                m_controls, m_s.dialogs, *m_pageFiles);
    }
    m_window->attach(MainFormParts{&m_state, &m_folderSettings, &m_documentCommands, &m_batchRun,
                                   &m_runControl, m_pageFiles.get(), m_jobs.get(),
                                   m_scanPage.get()});
    bindHandlers();
}

Program::~Program() = default;

void Program::bindHandlers()
{
    TfrmMain* window = m_window.get();
    Ui::frmMain& ui = window->form();
    QObject::connect(ui.Label1, &LinkLabel::clicked, window, &TfrmMain::PNGAddFileClick);
    QObject::connect(ui.Label2, &LinkLabel::clicked, window, &TfrmMain::PNGRemoveClick);
    QObject::connect(ui.PNGRemove, &QAbstractButton::clicked, window, &TfrmMain::PNGRemoveClick);
    QObject::connect(ui.Label3, &LinkLabel::clicked, window, &TfrmMain::PNGClearClick);
    QObject::connect(ui.lstFileList, &ReportListView::deleteRequested, window,
                     &TfrmMain::PNGRemoveClick);
    // Queued: a message about a refused file must not hold the file manager's drag open.
    QObject::connect(ui.lstFileList, &ReportListView::filesDropped, window, &TfrmMain::addDocuments,
                     Qt::QueuedConnection);
    QObject::connect(ui.PNGCreatePDF, &QAbstractButton::clicked, window,
                     &TfrmMain::PNGCreatePDFClick);
    QObject::connect(ui.chkPass, &QAbstractButton::clicked, window, &TfrmMain::chkPassClick);
    QObject::connect(ui.Exit1, &QAction::triggered, window, &TfrmMain::Exit1Click);
    QObject::connect(ui.CorvantaHelp1, &QAction::triggered, window, &TfrmMain::CorvantaHelp1Click);
    QObject::connect(ui.Web1, &QAction::triggered, window, &TfrmMain::Web1Click);
    QObject::connect(ui.PNGBrowseStart, &QAbstractButton::clicked, window,
                     [this] { m_folderCommands.PNGBrowseStartClick(); });
    QObject::connect(ui.PNGDest, &QAbstractButton::clicked, window,
                     [this] { m_folderCommands.PNGDestClick(); });
    QObject::connect(ui.cmdLog, &QAbstractButton::clicked, window, &TfrmMain::cmdLogClick);
    QObject::connect(ui.cmdOK, &QAbstractButton::clicked, window, &TfrmMain::cmdOKClick);
    if (m_jobs)
        QObject::connect(ui.cmdClearJobs, &QAbstractButton::clicked, window,
                         [this] { m_jobs->cmdClearJobsClick(); });
    QObject::connect(ui.cmdCancel, &QAbstractButton::clicked, window, &TfrmMain::cmdCancelClick);
    QObject::connect(ui.BStartStop, &QAbstractButton::clicked, window, &TfrmMain::BStartStopClick);
    QObject::connect(ui.BAcquire, &QAbstractButton::clicked, window, &TfrmMain::BAcquireClick);
    // The scanning page's own commands go with it at close.
    if (m_scanPage) {
        ScanPage* page = m_scanPage.get();
        QObject::connect(ui.BPrevImage, &QAbstractButton::clicked, page,
                         &ScanPage::BPrevImageClick);
        QObject::connect(ui.BNextImage, &QAbstractButton::clicked, page,
                         &ScanPage::BNextImageClick);
        QObject::connect(ui.BRotateImage, &QAbstractButton::clicked, page,
                         &ScanPage::BRotateImageClick);
        QObject::connect(ui.Sources, &QComboBox::currentIndexChanged, page,
                         &ScanPage::SourcesChange);
    }
    QObject::connect(
        &m_documents, &QAbstractItemModel::rowsInserted, window,
        [this](const QModelIndex&, int first, int last) { warmUpOfficeFor(first, last); });
    QObject::connect(window, &TfrmMain::formClosed, window, [this] { FormClose(); });
    // A signal to end (Ctrl+C, kill, a logout) takes the close path.
    if (m_s.stopSignals)
        QObject::connect(m_s.stopSignals, &StopSignals::stopRequested, window,
                         &TfrmMain::closeWithoutAsking);
}

// The office takes seconds to start: it starts as soon as a document of its own joins the list,
// so the first conversion does not wait for it.
void Program::warmUpOfficeFor(int first, int last)
{
    if (m_officeWarmedUp)
        return;
    for (int row = first; row <= last; ++row) {
        if (RouteTable::needsOffice(m_documents.path(row), m_s.officeImports)) {
            m_s.officeRenderer.warmUp();
            m_officeWarmedUp = true;
            return;
        }
    }
}

void Program::start()
{
    m_window->FormCreate();
    if (!createPdfPrinter())
        return;
    m_pdf.options->CreateProfile(kProfileName, 0);
    buildConversion();
    m_window->attachRun(m_run.get());
    runBatchSwitch();
}

bool Program::createPdfPrinter()
{
    if (m_s.createPdfDriver)
        m_pdf = m_s.createPdfDriver();
    if (!m_pdf.options || !m_pdf.printer) {
        m_pdf = {};
        m_s.dialogs.message(kNoPdfPrinterMessage, Dialogs::Icon::Warning);
        return false;
    }
    if (failed(m_pdf.options->InitializeOptions(kPrinterName, kPrinterName))) {
        m_s.dialogs.message(QStringLiteral("Failed to initialize PdfPrinterOptions"),
                            Dialogs::Icon::Warning);
        return false;
    }
    return true;
}

void Program::buildConversion()
{
    m_profile = std::make_unique<ProfileOptions>(*m_pdf.options, m_controls, m_s.dialogs);
    IPdfPrinterOptions& options = *m_pdf.options;
    IPrinter& printer = *m_pdf.printer;
    DocumentRenderer& office = m_s.officeRenderer;
    m_routes = std::make_unique<RouteTable>(RouteTable::Routes{
        .image =
            std::make_unique<ImageRoute>(printer, m_controls, m_s.clock, m_s.pictureCheck, &office),
        .word = std::make_unique<RenderedRoute>(options, printer, office, Route::Word),
        .excel = std::make_unique<RenderedRoute>(options, printer, office, Route::Excel),
        .browser =
            std::make_unique<RenderedRoute>(options, printer, m_s.webRenderer, Route::Browser),
        .plainText = std::make_unique<TextRoute>(printer, &m_s.encodings),
        // Drawings go to the web renderer, which keeps what they name within their folder.
        .shell = std::make_unique<PrintHandlerTable>(
            printer, office, m_s.officeImports, m_s.pictureCheck, &m_s.webRenderer, &m_s.encodings),
    });
    m_combiner = std::make_unique<Combiner>(m_s.toolkit, m_s.publisher, m_s.checker, m_controls,
                                            m_s.dialogs);
    m_run = std::make_unique<ConversionRun>(
        RunServices{m_documents, m_state, options, printer, *m_profile, m_controls, *m_routes,
                    m_controls, m_s.dialogs, m_s.clock, m_s.application, m_runControl, m_opener,
                    m_window.get(), m_combiner.get(), &m_bulkProgress, &m_s.logFiles});
}

RunEnd Program::runConversion()
{
    if (!m_run) {
        m_s.dialogs.message(kNoPdfPrinterMessage, Dialogs::Icon::Warning);
        return RunEnd::EndedEarly;
    }
    return m_run->PNGCreatePDFClick();
}

// The batch switch counts in any letter case; only the exact "-BATCH" lets the run end the
// program, so "-batch" converts and stays open.
void Program::runBatchSwitch()
{
    try {
        if (m_s.application.firstArgument().toUpper() == kBatchSwitch) {
            m_state.BatchMode = true;
            m_lastBatchEnd = m_batchRun.RunBatchConversion();
            if (ranToItsEnd(*m_lastBatchEnd) && m_s.application.firstArgument() == kBatchSwitch)
                m_s.application.terminate();
        }
    } catch (const std::exception& error) {
        m_lastBatchEnd = BatchEnd::EndedEarly;
        m_s.dialogs.message(QStringLiteral("Error starting Batch Job.") +
                            QString::fromStdString(error.what()));
    }
}

void Program::FormClose()
{
    // The scanner is let go first: an acquisition still running ends here.
    m_scanPage.reset();
    ScanControl1.reset();
    if (m_pdf.options)
        m_pdf.options->RemoveProfile(kProfileName, 0);
    m_run.reset();
    m_combiner.reset();
    m_routes.reset();
    m_profile.reset();
    m_pdf = {};
    m_s.com.uninitialize();
    // Only this window's: another window's pages are still in its list.
    m_pageFiles->deleteOwn();
}
