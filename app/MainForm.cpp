#include "app/MainForm.h"

#include "app/CommandLine.h"
#include "app/HelpTopics.h"
#include "batch/LogViewer.h"
#include "batch/cRegistry.h"
#include "common/Application.h"
#include "common/Clock.h"
#include "common/Desktop.h"
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
#include "conversion/RunSummary.h"
#include "conversion/TextRoute.h"
#include "helpviewer/HelpEngine.h"
#include "platform/application/StopSignals.h"
#include "platform/com/ComApartment.h"
#include "platform/files/InstalledFiles.h"
#include "platform/messages/WindowMessages.h"
#include "ui/AltKeys.h"
#include "ui/CaptionFit.h"
#include "ui/Resources.h"
#include "ui_MainForm.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLocale>
#include <QScopeGuard>
#include <QScreen>
#include <QStatusBar>

namespace {

const QString kPrinterName = QStringLiteral("Corvanta");
constexpr int kClientWidth = 499;
constexpr int kClientHeight = 650;

// A speed button's glyph holds its enabled and its disabled picture side by side.
QIcon glyph(const QString& resource)
{
    const QPixmap both(resource);
    const int half = both.width() / 2;
    QIcon icon;
    icon.addPixmap(both.copy(0, 0, half, both.height()), QIcon::Normal);
    icon.addPixmap(both.copy(half, 0, half, both.height()), QIcon::Disabled);
    return icon;
}
const QString kWebSite = QStringLiteral("https://www.corvanta.example/");

QString printErrorText(qintptr code)
{
    switch (code) {
    case 1:
        return QStringLiteral("Error saving temporary file on printer server");
    case 3:
        return QStringLiteral("Error saving PDF file");
    case 4:
        return QStringLiteral("Print job was canceled");
    default:
        return {};
    }
}

} // namespace

TfrmMain::TfrmMain(MainFormServices services, QWidget* parent)
    : QMainWindow(parent), m_ui(std::make_unique<Ui::frmMain>()), m_s(std::move(services)),
      m_controls(*m_ui, m_s.clock), m_bulkProgress(m_controls, m_state, m_s.observer),
      m_documentCommands(m_documents, m_s.dialogs, m_controls),
      m_batchRun(m_documents, m_state, m_controls, m_s.application, m_s.dialogs,
                 [this] { return runConversion(); }),
      m_folderCommands(m_state, m_controls, m_s.dialogs),
      m_folderSettings(m_s.settings, m_state, m_controls)
{
    initCorvantaUiResources();
    m_ui->setupUi(this);
    fitCaptions(this);
    m_ui->lstFileList->setModel(&m_documents);
    m_ui->lstFileList->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_ui->BPrevImage->setIcon(glyph(QStringLiteral(":/images/previous.png")));
    m_ui->BNextImage->setIcon(glyph(QStringLiteral(":/images/next.png")));
    m_ui->DTDate->setDisplayFormat(QLocale().dateFormat(QLocale::LongFormat));
    // A fixed client area of 499 x 650 below the menu, no maximise button, centred.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    m_ui->centralwidget->setFixedSize(kClientWidth, kClientHeight);
    // How the last Generate PDF ended is said below the pages.
    statusBar()->setSizeGripEnabled(false);
    setFixedSize(kClientWidth, kClientHeight + m_ui->MainMenu1->sizeHint().height() +
                                   statusBar()->sizeHint().height());
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    if (m_s.scheduler && m_s.account)
        m_jobs = std::make_unique<JobScheduling>(JobScheduling::Services{
            m_state, m_controls, m_folderSettings, m_controls, *m_s.scheduler, *m_s.account,
            m_s.dialogs, m_s.clock, [this] { runNow(); }, QCoreApplication::applicationFilePath(),
            ProgramDataFolder() + kQueryFileName});
    // Pages a killed window left behind go now, never those of a window still open.
    m_pageFiles = std::make_unique<ScannedPageFiles>(ProgramDataFolder());
    if (m_s.scanners) {
        ScanControl1 = std::make_unique<TScanControl>(*m_s.scanners);
        m_scanPage = std::make_unique<ScanPage>(*ScanControl1, m_documents, m_controls, m_controls,
                                                m_controls, m_s.dialogs, *m_pageFiles);
    }
    bindHandlers();
    // A signal to end (Ctrl+C, kill, a logout) takes the close path: a run stops after its
    // document and leaves a complete log.
    if (m_s.stopSignals)
        connect(m_s.stopSignals, &StopSignals::stopRequested, this, [this] {
            m_closeWithoutAsking = true;
            close();
        });
    FormCreate();
}

TfrmMain::~TfrmMain()
{
    FormDestroy();
}

void TfrmMain::bindHandlers()
{
    connect(m_ui->Label1, &LinkLabel::clicked, this, &TfrmMain::PNGAddFileClick);
    connect(m_ui->Label2, &LinkLabel::clicked, this, &TfrmMain::PNGRemoveClick);
    connect(m_ui->PNGRemove, &QAbstractButton::clicked, this, &TfrmMain::PNGRemoveClick);
    connect(m_ui->Label3, &LinkLabel::clicked, this, &TfrmMain::PNGClearClick);
    connect(m_ui->lstFileList, &ReportListView::deleteRequested, this, &TfrmMain::PNGRemoveClick);
    // Queued: a message about a refused file must not hold the file manager's drag open.
    connect(m_ui->lstFileList, &ReportListView::filesDropped, this, &TfrmMain::addDocuments,
            Qt::QueuedConnection);
    connect(m_ui->PNGCreatePDF, &QAbstractButton::clicked, this, &TfrmMain::PNGCreatePDFClick);
    connect(m_ui->chkPass, &QAbstractButton::clicked, this, &TfrmMain::chkPassClick);
    connect(m_ui->Exit1, &QAction::triggered, this, &TfrmMain::Exit1Click);
    connect(m_ui->CorvantaHelp1, &QAction::triggered, this, &TfrmMain::CorvantaHelp1Click);
    connect(m_ui->Web1, &QAction::triggered, this, &TfrmMain::Web1Click);
    connect(m_ui->PNGBrowseStart, &QAbstractButton::clicked, this, &TfrmMain::PNGBrowseStartClick);
    connect(m_ui->PNGDest, &QAbstractButton::clicked, this, &TfrmMain::PNGDestClick);
    connect(m_ui->cmdLog, &QAbstractButton::clicked, this, &TfrmMain::cmdLogClick);
    connect(m_ui->cmdOK, &QAbstractButton::clicked, this, &TfrmMain::cmdOKClick);
    connect(m_ui->cmdClearJobs, &QAbstractButton::clicked, this, &TfrmMain::cmdClearJobsClick);
    connect(m_ui->cmdCancel, &QAbstractButton::clicked, this, &TfrmMain::cmdCancelClick);
    connect(m_ui->BStartStop, &QAbstractButton::clicked, this, &TfrmMain::BStartStopClick);
    connect(m_ui->BAcquire, &QAbstractButton::clicked, this, &TfrmMain::BAcquireClick);
    connect(m_ui->BPrevImage, &QAbstractButton::clicked, this, &TfrmMain::BPrevImageClick);
    connect(m_ui->BNextImage, &QAbstractButton::clicked, this, &TfrmMain::BNextImageClick);
    connect(m_ui->BRotateImage, &QAbstractButton::clicked, this, &TfrmMain::BRotateImageClick);
    if (m_scanPage)
        connect(m_ui->Sources, &QComboBox::currentIndexChanged, m_scanPage.get(),
                &ScanPage::SourcesChange);
    connect(&m_documents, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) { warmUpOfficeFor(first, last); });
}

// The office takes seconds to start: it starts as soon as a document of its own joins the list,
// so the first conversion does not wait for it.
void TfrmMain::warmUpOfficeFor(int first, int last)
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

void TfrmMain::FormCreate()
{
    // Key preview: every key of the window passes FormKeyDown first.
    qApp->installEventFilter(this);

    try {
        m_helpFileName = InstalledDataFile(kHelpFileName);
        m_s.help.hook(m_helpFileName);
        m_state.BatchMode = false;
        m_fileSavedMessage = RegisterWindowMessage(kFileSavedMessageName);
        m_printErrorMessage = RegisterWindowMessage(kPrintErrorMessageName);
    } catch (const std::exception& error) {
        m_s.dialogs.message(QStringLiteral("Initialize Help files Error. ") +
                            QString::fromStdString(error.what()));
    }

    const long com = m_s.com.initialize();
    if (com < 0) {
        m_s.dialogs.message(QStringLiteral("Failed to initialize COM") + QChar(13) +
                                m_s.com.resultText(com) + QChar(13) + m_s.com.lastErrorText(),
                            Dialogs::Icon::Warning);
    }

    LoadFolderSettings();
    m_controls.setStartFolderText(m_state.StartFolder);
    m_controls.setDestinationFolderText(m_state.DestinationFolder);
    m_ui->rdoNow->setChecked(true);
    const QDateTime now = m_s.clock.now();
    m_ui->DTDate->setDate(now.date());
    m_ui->DTTime->setDateTime(now);

    // The documents named on the command line join once the window is up, so a refusal's
    // message has the window to show over; an unattended start never gets that far.
    const CommandLine command =
        ParseCommandLine(m_s.application.nativeArguments(), QDir::currentPath());
    if (!command.files.isEmpty())
        QMetaObject::invokeMethod(
            this, [this, files = command.files] { addDocuments(files); }, Qt::QueuedConnection);

    if (!createPdfPrinter())
        return;
    m_pdf.options->CreateProfile(kProfileName, 0);
    buildConversion();

    try {
        if (m_s.application.firstArgument().toUpper() == kBatchSwitch) {
            m_state.BatchMode = true;
            m_state.UnattendedStart = true;
            const auto over = qScopeGuard([this] { m_state.UnattendedStart = false; });
            m_lastBatchEnd = RunBatchConversion();
        }
    } catch (const std::exception& error) {
        m_lastBatchEnd = BatchEnd::EndedEarly;
        m_s.dialogs.message(QStringLiteral("Error starting Batch Job.") +
                            QString::fromStdString(error.what()));
    }
}

void TfrmMain::LoadFolderSettings()
{
    try {
        m_folderSettings.LoadFolderSettings();
    } catch (const RegistryError& error) {
        // A damaged store must not stop the program half-way: say so, where and what, and start
        // without folders.
        m_state.StartFolder.clear();
        m_state.DestinationFolder.clear();
        QString text = QString::fromStdString(error.what());
        if (!error.detail().isEmpty())
            text += QLatin1Char('\n') + error.detail();
        m_s.dialogs.message(text, Dialogs::Icon::Error);
    }
}

bool TfrmMain::createPdfPrinter()
{
    if (m_s.createPdfDriver)
        m_pdf = m_s.createPdfDriver();
    if (!m_pdf.options || !m_pdf.printer) {
        m_pdf = {};
        m_s.dialogs.message(QStringLiteral("Failed to create PDF COM object"),
                            Dialogs::Icon::Warning);
        return false;
    }
    if (failed(m_pdf.options->InitializeOptions(kPrinterName, kPrinterName))) {
        m_s.dialogs.message(QStringLiteral("Failed to initialize PdfPrinterOptions"),
                            Dialogs::Icon::Warning);
        return false;
    }
    return true;
}

void TfrmMain::buildConversion()
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
                    this, m_combiner.get(), &m_bulkProgress});
}

RunEnd TfrmMain::runConversion()
{
    if (!m_run) {
        // Start-up could not create the PDF printer: nothing can be converted.
        m_s.dialogs.message(QStringLiteral("Failed to create PDF COM object"),
                            Dialogs::Icon::Warning);
        return RunEnd::EndedEarly;
    }
    // A close asked for during the run waits for its end: the run still uses what it would free.
    m_converting = true;
    const auto runOver = qScopeGuard([this] {
        m_converting = false;
        if (m_closeAfterRun)
            QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    });
    return m_run->PNGCreatePDFClick();
}

bool TfrmMain::FormCloseQuery()
{
    m_s.help.closeAll();
    return true;
}

void TfrmMain::FormClose()
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
    deleteScannedPages();
    // Help windows are not the main window's own; they close with it all the same.
    if (m_s.help.available())
        m_s.help.closeAll();
}

void TfrmMain::deleteScannedPages()
{
    // Only this window's: another window's pages are still in its list.
    if (m_pageFiles)
        m_pageFiles->deleteOwn();
}

bool TfrmMain::mayDropUnconvertedScans(const QString& question)
{
    if (!m_pageFiles)
        return true;
    int unconverted = 0;
    for (int row = 0; row < m_documents.DocumentCount(); ++row) {
        if (m_pageFiles->owns(m_documents.path(row)) &&
            m_documents.status(row) != DocumentList::kStatusCompleted)
            ++unconverted;
    }
    if (unconverted == 0)
        return true;
    const QString pages = unconverted == 1 ? QStringLiteral("1 scanned page")
                                           : QStringLiteral("%1 scanned pages").arg(unconverted);
    return m_s.dialogs.confirm(question.arg(pages));
}

void TfrmMain::FormDestroy()
{
    qApp->removeEventFilter(this);
    m_s.help.unhook();
    if (m_s.help.available())
        m_s.help.closeAll();
}

void TfrmMain::FormKeyDown(int key)
{
    if (key == Qt::Key_Escape && m_converting)
        m_runControl.requestStop();
    if (key != Qt::Key_F1)
        return;
    const QString topic = HelpTopicForPage(m_ui->OfficePager1->currentIndex());
    if (!topic.isEmpty())
        m_s.help.showTopic(m_helpFileName + topic);
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event)
{
    // A key event climbs from the focused control to its parents; look at it once.
    // A later press may reuse the address of an earlier one (a modifier's, say), so a press is
    // known by address and key, and the memory ends with the key's release.
    const bool press = event->type() == QEvent::KeyPress;
    if (!press && event->type() != QEvent::KeyRelease)
        return QMainWindow::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (!press) {
        if (key == m_lastKey.key)
            m_lastKey = {};
    } else if ((event != m_lastKey.event || key != m_lastKey.key) && watched->isWidgetType() &&
               static_cast<QWidget*>(watched)->window() == this) {
        m_lastKey = {event, key};
        FormKeyDown(key);
    }
    // The one key eaten: an Alt combination, which no edit of the window may take for a letter.
    if (IsAltTextForEdit(watched, *static_cast<QKeyEvent*>(event)) &&
        static_cast<QWidget*>(watched)->window() == this)
        return true;
    return QMainWindow::eventFilter(watched, event);
}

bool TfrmMain::event(QEvent* event)
{
    const int type = event->type();
    if (type != 0 && (type == m_fileSavedMessage || type == m_printErrorMessage)) {
        if (type == m_printErrorMessage) {
            const auto* message = static_cast<WindowMessageEvent*>(event);
            QString text = printErrorText(message->wParam());
            // Which file, and why: the printer says so where it knows.
            if (!text.isEmpty() && !message->detail().isEmpty())
                text += QLatin1Char(' ') + message->detail();
            if (!text.isEmpty())
                m_s.dialogs.message(text, Dialogs::Icon::Warning);
        }
        return true;
    }
    return QMainWindow::event(event);
}

void TfrmMain::closeEvent(QCloseEvent* event)
{
    // Closing during a run stops it after the document being converted, then closes.
    if (m_converting) {
        m_runControl.requestStop();
        m_closeAfterRun = true;
        event->ignore();
        return;
    }
    if (!m_closeWithoutAsking && !mayDropUnconvertedScans(kCloseDropsScansQuestion)) {
        event->ignore();
        return;
    }
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

void TfrmMain::Exit1Click()
{
    close();
}

void TfrmMain::CorvantaHelp1Click()
{
    m_s.help.showTopic(m_helpFileName);
}

void TfrmMain::Web1Click()
{
    m_s.desktop.openUrl(kWebSite);
}

void TfrmMain::PNGBrowseStartClick()
{
    m_folderCommands.PNGBrowseStartClick();
}
void TfrmMain::PNGDestClick()
{
    m_folderCommands.PNGDestClick();
}
void TfrmMain::cmdLogClick()
{
    ViewBatchLog(m_state.StartFolder, m_s.desktop, m_s.dialogs);
}

// The list stays as it is while a run walks it, whichever key or button asks otherwise.
void TfrmMain::cmdOKClick()
{
    if (m_converting)
        return;
    if (!m_jobs) {
        m_s.dialogs.message(kUnableToScheduleMessage, Dialogs::Icon::Warning);
        return;
    }
    m_jobs->cmdOKClick();
}
void TfrmMain::cmdClearJobsClick()
{
    if (m_jobs)
        m_jobs->cmdClearJobsClick();
}
void TfrmMain::cmdCancelClick()
{
    // Leaves bulk mode; without a scheduler there is none to leave but the flag.
    if (m_jobs)
        m_jobs->cmdCancelClick();
    else
        m_state.BatchMode = false;
}

void TfrmMain::BStartStopClick()
{
    if (m_scanPage)
        m_scanPage->BStartStopClick();
    else
        m_s.dialogs.message(QStringLiteral("No scanner support is available."),
                            Dialogs::Icon::Warning);
}
// A page scanned during a conversion would shift the rows the run walks: scanning waits.
void TfrmMain::BAcquireClick()
{
    if (m_scanPage && !m_converting)
        m_scanPage->BAcquireClick();
}
void TfrmMain::BPrevImageClick()
{
    if (m_scanPage)
        m_scanPage->BPrevImageClick();
}
void TfrmMain::BNextImageClick()
{
    if (m_scanPage)
        m_scanPage->BNextImageClick();
}
void TfrmMain::BRotateImageClick()
{
    if (m_scanPage)
        m_scanPage->BRotateImageClick();
}

void TfrmMain::PNGAddFileClick()
{
    if (!m_converting)
        m_documentCommands.addFile();
}
void TfrmMain::addDocuments(const QList<QByteArray>& paths)
{
    if (!m_converting)
        m_documentCommands.addPaths(paths);
}
void TfrmMain::PNGRemoveClick()
{
    if (!m_converting)
        m_documentCommands.remove();
}
void TfrmMain::PNGClearClick()
{
    if (!m_converting)
        m_documentCommands.clear();
}

void TfrmMain::chkPassClick()
{
    m_controls.setPasswordPanelVisible(m_controls.passwordWanted());
}

void TfrmMain::PNGCreatePDFClick()
{
    // During a run the button reads "Stop".
    if (m_converting) {
        m_runControl.requestStop();
        return;
    }
    if (m_controls.generateJustBack())
        return;
    statusBar()->clearMessage();
    try {
        const RunEnd end = runConversion();
        // A run cut short after its rows (the merge's Save dialog cancelled) still made its PDFs.
        const RunSummary& summary = m_run->summary();
        if (end != RunEnd::EndedEarly || summary.converted + summary.failed + summary.skipped > 0)
            statusBar()->showMessage(SummaryText(summary));
    } catch (const std::exception& error) {
        m_s.dialogs.message(QString::fromStdString(error.what()), Dialogs::Icon::Error);
    }
}

BatchEnd TfrmMain::RunBatchConversion()
{
    return m_batchRun.RunBatchConversion();
}

void TfrmMain::runNow()
{
    if (!mayDropUnconvertedScans(kRunNowDropsScansQuestion))
        return;
    m_controls.setBulkProgress(QStringLiteral("Listing %1 ...").arg(m_controls.startFolderText()));
    statusBar()->clearMessage(); // a Generate PDF run's summary, which this run replaces
    const BatchEnd end = RunBatchConversion();
    m_documentCommands.showCount();
    QString summary;
    switch (end) {
    case BatchEnd::Finished:
    case BatchEnd::Stopped:
        summary = SummaryText(m_run->summary()) + QStringLiteral(" \u2014 see the log");
        break;
    case BatchEnd::EmptyFolder:
        summary = QStringLiteral("%1 holds no file to convert.").arg(m_state.StartFolder);
        break;
    case BatchEnd::EndedEarly:
        summary = QStringLiteral("The bulk conversion ended early; nothing more was converted.");
        break;
    case BatchEnd::FoldersTooShort:
    case BatchEnd::NotBatchMode:
    case BatchEnd::AlreadyRunning: // said already
        break;
    }
    m_controls.setBulkProgress(summary);
    if (end == BatchEnd::Finished || end == BatchEnd::Stopped) {
        if (m_s.dialogs.confirm(summary + QStringLiteral(".\n\nView the log now?")))
            cmdLogClick();
    } else if (end == BatchEnd::EmptyFolder) {
        m_s.dialogs.message(summary);
    }
}
