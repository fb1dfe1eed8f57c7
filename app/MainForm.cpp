#include "app/MainForm.h"

#include "app/CommandLine.h"
#include "app/HelpTopics.h"
#include "batch/BatchRun.h"
#include "batch/FolderSettings.h"
#include "batch/JobScheduling.h"
#include "batch/LogViewer.h"
#include "batch/cRegistry.h"
#include "common/Application.h"
#include "common/Clock.h"
#include "common/Desktop.h"
#include "common/Dialogs.h"
#include "common/ProgramState.h"
#include "conversion/ConversionRun.h"
#include "conversion/RunControl.h"
#include "conversion/RunSummary.h"
#include "doclist/DocumentCommands.h"
#include "doclist/DocumentList.h"
#include "helpviewer/HelpEngine.h"
#include "platform/com/ComApartment.h"
#include "platform/files/InstalledFiles.h"
#include "platform/messages/WindowMessages.h"
#include "scanning/ScanPage.h"
#include "scanning/ScannedPageFiles.h"
#include "ui/AltKeys.h"
#include "ui/CaptionFit.h"
#include "ui/Resources.h"
#include "ui_MainForm.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLocale>
#include <QPointer>
#include <QScreen>
#include <QStatusBar>

namespace {

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

TfrmMain::TfrmMain(MainFormServices services, DocumentList& documents, QWidget* parent)
    : QMainWindow(parent), m_ui(std::make_unique<Ui::frmMain>()), m_s(std::move(services)),
      m_controls(*m_ui, m_s.clock), m_documents(documents)
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
}

TfrmMain::~TfrmMain()
{
    FormDestroy();
}

void TfrmMain::FormCreate()
{
    // Key preview: every key of the window passes FormKeyDown first.
    qApp->installEventFilter(this);

    try {
        m_helpFileName = InstalledDataFile(kHelpFileName);
        m_s.help.hook(m_helpFileName);
        m_p.state->BatchMode = false;
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
    m_controls.setStartFolderText(m_p.state->StartFolder);
    m_controls.setDestinationFolderText(m_p.state->DestinationFolder);
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
}

void TfrmMain::LoadFolderSettings()
{
    try {
        m_p.folderSettings->LoadFolderSettings();
    } catch (const RegistryError& error) {
        // A damaged store must not stop the program half-way: say so, where and what, and start
        // without folders.
        m_p.state->StartFolder.clear();
        m_p.state->DestinationFolder.clear();
        QString text = QString::fromStdString(error.what());
        if (!error.detail().isEmpty())
            text += QLatin1Char('\n') + error.detail();
        m_s.dialogs.message(text, Dialogs::Icon::Error);
    }
}

bool TfrmMain::FormCloseQuery()
{
    m_s.help.closeAll();
    return true;
}

void TfrmMain::FormClose()
{
    // What the program frees is no longer the handlers' to use.
    m_p.scanPage = nullptr;
    m_p.run = nullptr;
    emit formClosed();
    // Help windows are not the main window's own; they close with it all the same.
    if (m_s.help.available())
        m_s.help.closeAll();
}

bool TfrmMain::mayDropUnconvertedScans(const QString& question)
{
    if (!m_p.pageFiles)
        return true;
    int unconverted = 0;
    for (int row = 0; row < m_documents.DocumentCount(); ++row) {
        if (m_p.pageFiles->owns(m_documents.path(row)) &&
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
    if (key == Qt::Key_Escape && converting())
        m_p.runControl->requestStop();
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
    if (converting()) {
        m_p.runControl->requestStop();
        if (!m_closeAfterRun) {
            m_closeAfterRun = true;
            m_p.runControl->whenOver([window = QPointer(this)] {
                if (!window)
                    return;
                window->m_closeAfterRun = false;
                QMetaObject::invokeMethod(window, &QWidget::close, Qt::QueuedConnection);
            });
        }
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

void TfrmMain::closeWithoutAsking()
{
    m_closeWithoutAsking = true;
    // A question on the screen would hold the end until someone answers it.
    m_s.dialogs.dismissAll();
    close();
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

void TfrmMain::cmdLogClick()
{
    ViewBatchLog(m_p.state->StartFolder, m_s.desktop, m_s.dialogs);
}

// The list stays as it is while a run walks it, whichever key or button asks otherwise.
void TfrmMain::cmdOKClick()
{
    if (converting())
        return;
    if (!m_p.jobs) {
        m_s.dialogs.message(kUnableToScheduleMessage, Dialogs::Icon::Warning);
        return;
    }
    m_p.jobs->cmdOKClick();
}
void TfrmMain::cmdCancelClick()
{
    // Leaves bulk mode; without a scheduler there is none to leave but the flag.
    if (m_p.jobs)
        m_p.jobs->cmdCancelClick();
    else
        m_p.state->BatchMode = false;
}

void TfrmMain::BStartStopClick()
{
    if (m_p.scanPage)
        m_p.scanPage->BStartStopClick();
    else
        m_s.dialogs.message(QStringLiteral("No scanner support is available."),
                            Dialogs::Icon::Warning);
}
// A page scanned during a conversion would shift the rows the run walks: scanning waits.
void TfrmMain::BAcquireClick()
{
    if (m_p.scanPage && !converting())
        m_p.scanPage->BAcquireClick();
}

void TfrmMain::PNGAddFileClick()
{
    if (!converting())
        m_p.documentCommands->addFile();
}
void TfrmMain::addDocuments(const QList<QByteArray>& paths)
{
    if (!converting())
        m_p.documentCommands->addPaths(paths);
}
void TfrmMain::PNGRemoveClick()
{
    if (!converting())
        m_p.documentCommands->remove();
}
void TfrmMain::PNGClearClick()
{
    if (!converting())
        m_p.documentCommands->clear();
}

void TfrmMain::chkPassClick()
{
    m_controls.setPasswordPanelVisible(m_controls.passwordWanted());
}

void TfrmMain::PNGCreatePDFClick()
{
    // During a run the button reads "Stop".
    if (converting()) {
        m_p.runControl->requestStop();
        return;
    }
    if (m_controls.generateJustBack())
        return;
    statusBar()->clearMessage();
    if (!m_p.run) {
        // Start-up could not create the PDF printer: nothing can be converted.
        m_s.dialogs.message(kNoPdfPrinterMessage, Dialogs::Icon::Warning);
        return;
    }
    try {
        const RunEnd end = m_p.run->PNGCreatePDFClick();
        // A run cut short after its rows (the merge's Save dialog cancelled) still made its PDFs.
        const RunSummary& summary = m_p.run->summary();
        if (end != RunEnd::EndedEarly || summary.converted + summary.failed + summary.skipped > 0)
            statusBar()->showMessage(SummaryText(summary));
    } catch (const std::exception& error) {
        m_s.dialogs.message(QString::fromStdString(error.what()), Dialogs::Icon::Error);
    }
}

void TfrmMain::runNow()
{
    if (!mayDropUnconvertedScans(kRunNowDropsScansQuestion))
        return;
    m_controls.setBulkProgress(QStringLiteral("Listing %1 ...").arg(m_controls.startFolderText()));
    statusBar()->clearMessage(); // a Generate PDF run's summary, which this run replaces
    const BatchEnd end = m_p.batchRun->RunBatchConversion();
    m_p.documentCommands->showCount();
    QString summary;
    switch (end) {
    case BatchEnd::Finished:
    case BatchEnd::Stopped:
        summary = SummaryText(m_p.run->summary()) + QStringLiteral(" \u2014 see the log");
        break;
    case BatchEnd::EmptyFolder:
        summary = QStringLiteral("%1 holds no file to convert.").arg(m_p.state->StartFolder);
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
