#pragma once

#include "conversion/BatchLog.h"
#include "conversion/CombineStep.h"
#include "conversion/DocumentOpener.h"
#include "conversion/PrintRoute.h"
#include "conversion/RunObserver.h"
#include "conversion/RunPlan.h"

#include <QStringList>
#include <map>
#include <memory>
#include <optional>

class Application;
class Clock;
class Dialogs;
class DocumentList;
class IPdfPrinterOptions;
class IPrinter;
class ProfileOptions;
class QObject;
class RouteTable;
class RowProgress;
class RunControl;
class RunForm;
class SecurityForm;
class LogFileOpener;
struct DocumentNames;
struct ProgramState;

inline const QString kNoPasswordMessage =
    QStringLiteral("Security option selected, yet no password entered.  No files converted.");
inline const QString kEndingFolderUnwritable =
    QStringLiteral("Error saving PDF file: the ending folder %1 cannot be written (%2). No files "
                   "converted.");
// A picture that could not be loaded: its path, then the reason.
inline const QString kImageNotLoaded = QStringLiteral("Error loading Image %1 %2");

// Everything a run works with. The program owns all of it; the run only borrows.
struct RunServices
{
    DocumentList& list;
    ProgramState& state;
    IPdfPrinterOptions& options;
    IPrinter& printer;
    ProfileOptions& profile;
    SecurityForm& security;
    RouteTable& routes; // prints each document by the route its name picks
    RunForm& form;
    Dialogs& dialogs;
    Clock& clock;
    Application& application;
    RunControl& control;
    DocumentOpener& opener;          // opens each document once, for every route
    QObject* window = nullptr;       // receives the printer's messages
    CombineStep* combiner = nullptr; // merges into one file when chosen
    RunObserver* observer = nullptr; // told of every row's end
    // Opens the log of a bulk conversion; none: no log can be written.
    const LogFileOpener* logFiles = nullptr;
};

// How a run ended.
enum class RunEnd
{
    Finished,   // every row was handled and the closing steps ran
    EmptyList,  // nothing to convert
    EndedEarly, // a check or the user stopped it before the end
    Stopped,    // the user stopped it; the closing steps ran
};

// The conversion of the whole document list: each row printed by its route into a PDF, the
// row statuses, and in batch mode the log. A row says "Completed" only when its PDF was written,
// and the log says a file was converted only then. The run never ends the program; it says how
// it ended, and its caller decides.
class ConversionRun
{
public:
    explicit ConversionRun(RunServices services);
    ~ConversionRun();

    // Throws when the batch log cannot be written; the run has then restored the default
    // printer and closed its log.
    RunEnd PNGCreatePDFClick();

    // The expected PDF name of every row of the last run (empty for rows it did not reach).
    const QStringList& OutputNames() const { return m_outputNames; }
    const RunSummary& summary() const { return m_summary; }

private:
    enum class RowEnd
    {
        Next,
        StopRun
    };
    using Result = RunObserver::RowResult;

    RunEnd run();
    RunEnd endEarly();
    bool destinationWritable();
    RowEnd convertRow(int row);
    RowEnd convertOpened(int row);
    bool existingOutputSkips(int row, const DocumentNames& document);
    bool overwrite(const QString& question);
    void prepareAhead(int row, PrintRoute& route, const DocumentNames& document);
    const OpenedDocument& opened(int row);
    bool willBeRendered(int row) const;
    RouteResult print(int row, Route route, const DocumentNames& document);
    void tell(Route route, const DocumentNames& document, const RouteResult& result);
    void finishRow(int row, const DocumentNames& document, const RouteResult& result);
    RowEnd rowDone(int row, Result result);
    bool combine();
    void forgetPassword();
    void explain(int row, const QString& line);
    void log(const QString& line = {});
    bool batch() const;
    bool isRunLog(const QString& path) const;

    RunServices m_s;
    BatchLog m_log;
    QStringList m_outputNames;
    QList<RowPdf> m_rowPdfs;
    RunPlan m_plan;
    RunSummary m_summary;
    QString m_startFolder;
    QString m_destination;
    std::optional<bool> m_overwriteAll;
    std::unique_ptr<RowProgress> m_progress;
    // The rows opened so far and not yet done: the one being converted, and those prepared
    // ahead, which print what was opened when they were prepared.
    std::map<int, OpenedDocument> m_opened;
};
