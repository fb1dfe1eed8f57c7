// Converts every file of a folder through the real conversion run, the real renderers (office,
// web page) and the real PDF printer, and prints documents per second, the time the run spent in
// its pauses and, per file type, the time of the first document and of each one after it.
//   corvanta-bench <input folder> <output folder>
#include "common/Application.h"
#include "common/Clock.h"
#include "common/ProgramState.h"
#include "conversion/ConversionRun.h"
#include "conversion/DocumentRenderer.h"
#include "conversion/ImageRoute.h"
#include "conversion/PicturePreview.h"
#include "conversion/PrintHandlerTable.h"
#include "conversion/ProfileOptions.h"
#include "conversion/RenderedRoute.h"
#include "conversion/RouteTable.h"
#include "conversion/RunControl.h"
#include "conversion/RunForm.h"
#include "conversion/RunObserver.h"
#include "conversion/SecurityForm.h"
#include "conversion/TextRoute.h"
#include "doclist/DocumentList.h"
#include "office/OfficeRenderer.h"
#include "pdfprinter/PdfPrinter.h"
#include "pdfprinter/pictures/FilePictureCheck.h"
#include "platform/dialogs/UnattendedDialogs.h"
#include "platform/files/DescriptorOpener.h"
#include "platform/files/OwnFileOpener.h"
#include "platform/process/QtProcessLauncher.h"
#include "platform/text/UchardetDetector.h"
#include "web/WebPageRenderer.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>
#include <cstdio>
#include <map>

namespace {

// The real clock, with the time spent in pauses added up.
class TimedClock final : public Clock
{
public:
    QDateTime now() const override { return m_clock.now(); }
    void pause(std::chrono::milliseconds limit, const Outstanding& outstanding) override
    {
        QElapsedTimer timer;
        timer.start();
        m_clock.pause(limit, outstanding);
        pausedNs += timer.nsecsElapsed();
    }
    qint64 pausedNs = 0;

private:
    SystemClock m_clock;
};

class NoWindow final : public SecurityForm, public RunForm, public PicturePreview
{
public:
    bool printCopyDisabled() const override { return false; }
    bool passwordWanted() const override { return false; }
    QString password() const override { return {}; }
    QString confirmation() const override { return {}; }
    void clearPassword() override {}
    void clearConfirmation() override {}
    void setPasswordPanelVisible(bool) override {}
    bool combineChosen() const override { return false; }
    void setRunning(bool) override {}
    void repaintStatuses() override {}
    void showRow(int) override {}
    void showPicture(const QImage&) override {}
    void showPictureFile(const QString&) override {}
    void clearPicture() override {}
};

// The time between one row's end and the next, added up per file type.
class TimingObserver final : public RunObserver
{
public:
    TimingObserver() { m_sinceLastRow.start(); }

    void rowDone(int, int, const QString& name, const QString&, RowResult result) override
    {
        const double ms = m_sinceLastRow.nsecsElapsed() / 1e6;
        m_sinceLastRow.restart();
        if (result != RowResult::Converted && result != RowResult::Failed)
            return;
        Kind& kind = m_kinds[QFileInfo(name).suffix().toLower()];
        if (kind.documents++ == 0)
            kind.firstMs = ms;
        else
            kind.laterMs += ms;
        if (result == RowResult::Failed)
            ++kind.failed;
    }
    void runDone(const RunSummary&) override {}

    void print() const
    {
        for (const auto& [suffix, kind] : m_kinds) {
            std::printf(".%s: %d documents, first %.0f ms", qPrintable(suffix), kind.documents,
                        kind.firstMs);
            if (kind.documents > 1)
                std::printf(", after the first %.1f ms per document",
                            kind.laterMs / (kind.documents - 1));
            if (kind.failed)
                std::printf(" (%d FAILED)", kind.failed);
            std::printf("\n");
        }
    }

private:
    struct Kind
    {
        int documents = 0;
        int failed = 0;
        double firstMs = 0;
        double laterMs = 0;
    };
    QElapsedTimer m_sinceLastRow;
    std::map<QString, Kind> m_kinds;
};

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: corvanta-bench <input folder> <output folder>\n");
        return 2;
    }
    const QString input = QString::fromLocal8Bit(argv[1]);
    const QString output = QString::fromLocal8Bit(argv[2]);

    PdfPrinter printer;
    printer.InitializeOptions("Corvanta", "Corvanta");
    printer.CreateProfile(kProfileName, 0);
    DocumentList list;
    ProgramState state{true, input, output};
    NoWindow window;
    UnattendedDialogs dialogs;
    TimedClock clock;
    QtApplication application({});
    QtProcessLauncher processes;
    // As many offices as the program would start here, unless CORVANTA_WORKERS says otherwise.
    const int workers = qEnvironmentVariableIsSet("CORVANTA_WORKERS")
                            ? qEnvironmentVariableIntValue("CORVANTA_WORKERS")
                            : std::clamp(QThread::idealThreadCount(), 1, 4);
    OfficeRenderer office(processes, OfficeSetup{.workers = workers});
    WebPageRenderer web(processes);
    ProfileOptions profile(printer, window, dialogs);
    RouteTable routes(RouteTable::Routes{
        .image = std::make_unique<ImageRoute>(printer, window, clock, kFilePictureCheck, &office),
        .word = std::make_unique<RenderedRoute>(printer, printer, office, Route::Word),
        .excel = std::make_unique<RenderedRoute>(printer, printer, office, Route::Excel),
        .browser = std::make_unique<RenderedRoute>(printer, printer, web, Route::Browser),
        .plainText = std::make_unique<TextRoute>(printer, &kUchardetDetector),
        .shell = std::make_unique<PrintHandlerTable>(printer, office, &OfficeRenderer::imports,
                                                     kFilePictureCheck, &web, &kUchardetDetector),
    });
    TimingObserver timing;
    RunControl control;
    DescriptorOpener opener;
    ConversionRun run(RunServices{list, state, printer, printer, profile, window, routes, window,
                                  dialogs, clock, application, control, opener, nullptr, nullptr,
                                  &timing, &kOwnFileOpener});

    const QDir folder(input);
    for (const QString& name : folder.entryList(QDir::Files))
        list.FillGrid(name, folder.filePath(name));

    QElapsedTimer timer;
    timer.start();
    run.PNGCreatePDFClick();
    const double seconds = timer.nsecsElapsed() / 1e9;
    const int documents = list.DocumentCount();
    std::printf("documents: %d\nseconds: %.3f\ndocuments per second: %.1f\n"
                "milliseconds per document: %.1f\nseconds in pauses: %.3f\n",
                documents, seconds, documents / seconds, 1000 * seconds / documents,
                clock.pausedNs / 1e9);
    timing.print();
    return 0;
}
