#pragma once

#include "app/MainFormControls.h"
#include "app/MainFormServices.h"
#include "batch/BatchRun.h"
#include "batch/BulkProgress.h"
#include "batch/FolderCommands.h"
#include "batch/FolderSettings.h"
#include "batch/JobScheduling.h"
#include "common/ProgramState.h"
#include "conversion/RunControl.h"
#include "doclist/DocumentCommands.h"
#include "doclist/DocumentList.h"
#include "platform/files/DescriptorOpener.h"
#include "scanning/ScanControl.h"
#include "scanning/ScanPage.h"
#include "scanning/ScannedPageFiles.h"

#include <QMainWindow>
#include <memory>

namespace Ui {
class frmMain;
}
class Combiner;
class ConversionRun;
enum class RunEnd;
class ProfileOptions;
class RouteTable;

inline const QString kHelpFileName = QStringLiteral("CORVANTA PDF HELP.CHM");
inline const QString kCloseDropsScansQuestion =
    QStringLiteral("The list holds %1 not converted to PDF yet. Closing Corvanta deletes the "
                   "scanned pictures. Close anyway?");
inline const QString kRunNowDropsScansQuestion =
    QStringLiteral("\"Run Now!\" replaces the Generate PDF list, which holds %1 not converted "
                   "to PDF yet; the scanned pictures are deleted when Corvanta closes. Replace "
                   "the list anyway?");

// The main window. Its handlers keep the names the rest of the program knows them by; the
// logic behind them lives in the parts' classes.
class TfrmMain : public QMainWindow
{
    Q_OBJECT

public:
    // Runs FormCreate, including a whole unattended conversion when the program was started
    // with the batch switch.
    explicit TfrmMain(MainFormServices services, QWidget* parent = nullptr);
    ~TfrmMain() override;

    DocumentList& documents() { return m_documents; }
    ProgramState& state() { return m_state; }
    Ui::frmMain& form() { return *m_ui; }
    const PdfDriver& PdfOptions() const { return m_pdf; }
    int FileSavedMessage() const { return m_fileSavedMessage; }
    int PrintErrorMessage() const { return m_printErrorMessage; }
    QString HelpFileName() const { return m_helpFileName; }
    // The end of the last bulk conversion, for an unattended start to report.
    std::optional<BatchEnd> lastBatchEnd() const { return m_lastBatchEnd; }
    ConversionRun* conversionRun() const { return m_run.get(); }

public slots:
    void PNGAddFileClick();
    // Adds files and folders as Add File adds them (the command line's, a drop's).
    void addDocuments(const QList<QByteArray>& paths);
    void PNGRemoveClick();
    void PNGClearClick();
    void PNGCreatePDFClick();
    void chkPassClick();
    void PNGBrowseStartClick();
    void PNGDestClick();
    void cmdLogClick();
    void cmdOKClick();
    void cmdClearJobsClick();
    void cmdCancelClick();
    void BStartStopClick();
    void BAcquireClick();
    void BPrevImageClick();
    void BNextImageClick();
    void BRotateImageClick();
    void Exit1Click();
    void CorvantaHelp1Click();
    void Web1Click();
    BatchEnd RunBatchConversion();

protected:
    bool event(QEvent* event) override; // the window's message handler (WndProc)
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    bool FormCloseQuery();
    void FormClose();
    void FormDestroy();
    void FormKeyDown(int key);
    void LoadFolderSettings();

    bool createPdfPrinter();
    void buildConversion();
    RunEnd runConversion();
    void bindHandlers();
    void warmUpOfficeFor(int first, int last);
    void deleteScannedPages();
    // "Run Now!": the starting folder's files replace the list and are converted at once.
    void runNow();
    // True when nothing would be lost, or the user agrees to lose the scanned pages the list
    // holds unconverted; `question` takes their count.
    bool mayDropUnconvertedScans(const QString& question);

    std::unique_ptr<Ui::frmMain> m_ui;
    MainFormServices m_s;
    MainFormControls m_controls;
    DocumentList m_documents;
    ProgramState m_state;
    BulkProgress m_bulkProgress;
    DocumentCommands m_documentCommands;
    BatchRun m_batchRun;
    FolderCommands m_folderCommands;
    FolderSettings m_folderSettings;
    std::unique_ptr<JobScheduling> m_jobs;
    std::unique_ptr<ScannedPageFiles> m_pageFiles;
    std::unique_ptr<TScanControl> ScanControl1;
    std::unique_ptr<ScanPage> m_scanPage;

    QString m_helpFileName;
    bool m_officeWarmedUp = false;
    int m_fileSavedMessage = 0;
    int m_printErrorMessage = 0;
    PdfDriver m_pdf;
    std::unique_ptr<ProfileOptions> m_profile;
    std::unique_ptr<RouteTable> m_routes;
    std::unique_ptr<Combiner> m_combiner;
    std::unique_ptr<ConversionRun> m_run;
    RunControl m_runControl;
    DescriptorOpener m_opener;
    std::optional<BatchEnd> m_lastBatchEnd;
    struct SeenKey
    {
        const QEvent* event = nullptr;
        int key = 0;
    };
    SeenKey m_lastKey;
    bool m_converting = false;
    bool m_closeAfterRun = false;
    bool m_closeWithoutAsking = false; // a signal to end asks nobody
};
