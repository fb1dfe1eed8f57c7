#pragma once

#include "conversion/BatchLog.h"

#include <QStringList>

class Application;
class Clock;
class CombineStep;
class Dialogs;
class DocumentList;
class IPdfPrinterOptions;
class IPrinter;
class ImageRoute;
class ProfileOptions;
class QObject;
class RendererRoutes;
class RunForm;
class RunObserver;
class SecurityForm;
struct DocumentNames;
struct ProgramState;

inline const QString kNoPasswordMessage =
    QStringLiteral("Security option selected, yet no password entered.  No files converted.");
inline const QString kBatchSwitch = QStringLiteral("-BATCH");

// Everything a run works with. The window owns all of it; the run only borrows.
struct RunServices
{
    DocumentList& list;
    ProgramState& state;
    IPdfPrinterOptions& options;
    IPrinter& printer;
    ProfileOptions& profile;
    SecurityForm& security;
    ImageRoute& images;
    RendererRoutes& renderers;
    RunForm& form;
    Dialogs& dialogs;
    Clock& clock;
    Application& application;
    QObject* window = nullptr;       // receives the printer's messages
    CombineStep* combiner = nullptr; // merges into one file when chosen
    RunObserver* observer = nullptr; // told of every row's end
};

// How a run ended.
enum class RunEnd
{
    Finished,   // every row was handled and the closing steps ran
    EmptyList,  // nothing to convert
    EndedEarly, // a check or the user stopped it before the end
};

// The conversion of the whole document list: each row printed by its route into a PDF, the
// row statuses, and in batch mode the log and the unattended end of the program.
class ConversionRun
{
public:
    explicit ConversionRun(RunServices services);

    // Throws when the batch log cannot be written or a text document cannot be read; the run
    // has then restored the default printer and closed its log.
    RunEnd PNGCreatePDFClick();

    // The expected PDF name of every row of the last run (empty for rows it did not reach).
    const QStringList& OutputNames() const { return m_outputNames; }

private:
    enum class RowEnd
    {
        Next,
        StopRun
    };
    enum class Printed
    {
        Yes,
        Failed
    };

    RunEnd run();
    RunEnd endEarly();
    RowEnd convertRow(int row);
    bool existingOutputSkips(int row, const DocumentNames& document);
    Printed printByRoute(const DocumentNames& document);
    RowEnd rowDone(int row, int result);
    void log(const QString& line = {});
    bool batch() const;

    RunServices m_s;
    BatchLog m_log;
    QStringList m_outputNames;
    int m_counts[4] = {};
};
