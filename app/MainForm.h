#pragma once

#include "app/MainFormControls.h"
#include "app/MainFormServices.h"
#include "conversion/RunControl.h"

#include <QMainWindow>
#include <memory>

namespace Ui {
class frmMain;
}
class BatchRun;
class ConversionRun;
class DocumentCommands;
class DocumentList;
class FolderSettings;
class JobScheduling;
class ScanPage;
class ScannedPageFiles;
enum class RunEnd;
struct ProgramState;

// Start-up could not create the PDF printer: nothing can be converted.
inline const QString kNoPdfPrinterMessage = QStringLiteral("Failed to create PDF COM object");
inline const QString kHelpFileName = QStringLiteral("CORVANTA PDF HELP.CHM");
inline const QString kCloseDropsScansQuestion =
    QStringLiteral("The list holds %1 not converted to PDF yet. Closing Corvanta deletes the "
                   "scanned pictures. Close anyway?");
inline const QString kRunNowDropsScansQuestion =
    QStringLiteral("\"Run Now!\" replaces the Generate PDF list, which holds %1 not converted "
                   "to PDF yet; the scanned pictures are deleted when Corvanta closes. Replace "
                   "the list anyway?");

// The parts the window's handlers work on. The program builds them and keeps them for as long
// as the window lives; the ones that may be missing are null then.
struct MainFormParts
{
    ProgramState* state = nullptr;
    FolderSettings* folderSettings = nullptr;
    DocumentCommands* documentCommands = nullptr;
    BatchRun* batchRun = nullptr;
    RunControl* runControl = nullptr;
    ScannedPageFiles* pageFiles = nullptr;
    JobScheduling* jobs = nullptr; // none: the system has no scheduler to use
    ScanPage* scanPage = nullptr;  // none: no scanner support
    ConversionRun* run = nullptr;  // none: start-up could not create the PDF printer
};

// The main window: its widgets, and its handlers under the names the rest of the program knows
// them by. It builds nothing but its widgets; the program (app/Program.h) gives it its parts and
// connects the widgets.
class TfrmMain : public QMainWindow
{
    Q_OBJECT

public:
    // Lays the widgets out; the list shows `documents`.
    TfrmMain(MainFormServices services, DocumentList& documents, QWidget* parent = nullptr);
    ~TfrmMain() override;

    // Given once the parts exist, before FormCreate.
    void attach(const MainFormParts& parts) { m_p = parts; }
    void attachRun(ConversionRun* run) { m_p.run = run; }

    Ui::frmMain& form() { return *m_ui; }
    MainFormControls& controls() { return m_controls; }
    int FileSavedMessage() const { return m_fileSavedMessage; }
    int PrintErrorMessage() const { return m_printErrorMessage; }
    QString HelpFileName() const { return m_helpFileName; }

    // The window's part of start-up: help, the printer's message numbers, COM, the stored
    // folders and the Bulk Conversion page's start values.
    void FormCreate();
    // "Run Now!": the starting folder's files replace the list and are converted at once.
    void runNow();

signals:
    // FormClose: the program lets go of the scanner, the PDF printer and the conversion, ends
    // COM and deletes this window's scanned pages.
    void formClosed();

public slots:
    void PNGAddFileClick();
    // Adds files and folders as Add File adds them (the command line's, a drop's).
    void addDocuments(const QList<QByteArray>& paths);
    void PNGRemoveClick();
    void PNGClearClick();
    void PNGCreatePDFClick();
    void chkPassClick();
    void cmdLogClick();
    void cmdOKClick();
    void cmdCancelClick();
    void BStartStopClick();
    void BAcquireClick();
    void Exit1Click();
    void CorvantaHelp1Click();
    void Web1Click();
    // A signal to end (Ctrl+C, kill, a logout) takes the close path and asks nobody: a run
    // stops after its document and leaves a complete log.
    void closeWithoutAsking();

protected:
    bool event(QEvent* event) override; // the window's message handler (WndProc)
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool FormCloseQuery();
    void FormClose();
    void FormDestroy();
    void FormKeyDown(int key);
    void LoadFolderSettings();

    // True when nothing would be lost, or the user agrees to lose the scanned pages the list
    // holds unconverted; `question` takes their count.
    bool mayDropUnconvertedScans(const QString& question);
    // While a run goes on the list stays as it is, and a close waits for its end.
    bool converting() const { return m_p.runControl && m_p.runControl->running(); }

    std::unique_ptr<Ui::frmMain> m_ui;
    MainFormServices m_s;
    MainFormControls m_controls;
    DocumentList& m_documents;
    MainFormParts m_p;

    QString m_helpFileName;
    int m_fileSavedMessage = 0;
    int m_printErrorMessage = 0;
    struct SeenKey
    {
        const QEvent* event = nullptr;
        int key = 0;
    };
    SeenKey m_lastKey;
    bool m_closeAfterRun = false;
    bool m_closeWithoutAsking = false; // a signal to end asks nobody
};
