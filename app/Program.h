#pragma once

#include "app/MainForm.h"
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

#include <memory>
#include <optional>

class Combiner;
class ConversionRun;
class ProfileOptions;
class RouteTable;

// The program's one composition root: it builds every part from the platform services, gives
// the main window the parts its handlers work on and connects the window's widgets to them.
// Building shows nothing and runs nothing; start() is the program's start-up.
class Program
{
public:
    explicit Program(MainFormServices services);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Start-up, in its order: the window's FormCreate, the PDF printer with its profile, and
    // last the batch switch, whose bulk conversion runs here, before the window is shown. Only
    // that run ends the program (the application is terminated), and only when the switch is
    // exactly "-BATCH" and the run got to its end.
    void start();

    TfrmMain& window() { return *m_window; }
    DocumentList& documents() { return m_documents; }
    ProgramState& state() { return m_state; }
    const PdfDriver& PdfOptions() const { return m_pdf; }
    // The end of the batch switch's bulk conversion; none when start-up ran none.
    std::optional<BatchEnd> lastBatchEnd() const { return m_lastBatchEnd; }
    const ConversionRun* conversionRun() const { return m_run.get(); }

private:
    bool createPdfPrinter();
    void buildConversion();
    // The run behind every bulk conversion, as Generate PDF runs it.
    RunEnd runConversion();
    void bindHandlers();
    void warmUpOfficeFor(int first, int last);
    void runBatchSwitch();
    // The window has closed: what it used goes.
    void FormClose();

    MainFormServices m_s;
    // Declared before the window, which shows the list, and after it everything that uses the
    // window's controls: the window goes last.
    DocumentList m_documents;
    ProgramState m_state;
    std::unique_ptr<TfrmMain> m_window;
    MainFormControls& m_controls;
    BulkProgress m_bulkProgress;
    DocumentCommands m_documentCommands;
    BatchRun m_batchRun;
    FolderCommands m_folderCommands;
    FolderSettings m_folderSettings;
    std::unique_ptr<JobScheduling> m_jobs;
    std::unique_ptr<ScannedPageFiles> m_pageFiles;
    std::unique_ptr<TScanControl> ScanControl1;
    std::unique_ptr<ScanPage> m_scanPage;
    RunControl m_runControl;
    DescriptorOpener m_opener;

    bool m_officeWarmedUp = false;
    PdfDriver m_pdf;
    std::unique_ptr<ProfileOptions> m_profile;
    std::unique_ptr<RouteTable> m_routes;
    std::unique_ptr<Combiner> m_combiner;
    std::unique_ptr<ConversionRun> m_run;
    std::optional<BatchEnd> m_lastBatchEnd;
};
