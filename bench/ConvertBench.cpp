// Converts every file of a folder through the real conversion run and the real PDF printer, and
// prints documents per second and the time the run spent in its pauses.
//   corvanta-bench <input folder> <output folder>
#include "batch/ProgramState.h"
#include "conversion/ConversionRun.h"
#include "conversion/DocumentRenderer.h"
#include "conversion/ImageRoute.h"
#include "conversion/PicturePreview.h"
#include "conversion/ProfileOptions.h"
#include "conversion/RendererRoutes.h"
#include "conversion/RunForm.h"
#include "conversion/SecurityForm.h"
#include "doclist/DocumentList.h"
#include "platform/application/Application.h"
#include "platform/clock/Clock.h"
#include "platform/dialogs/UnattendedDialogs.h"
#include "platform/pdfprinter/PdfPrinter.h"

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <cstdio>

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
    void showPicture(const QImage&) override {}
    void showPictureFile(const QString&) override {}
    void clearPicture() override {}
};

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
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
    MissingRenderer renderer;
    ProfileOptions profile(printer, window, dialogs);
    ImageRoute images(printer, window, dialogs, clock);
    RendererRoutes renderers(printer, printer, renderer, renderer, dialogs);
    ConversionRun run(RunServices{list, state, printer, printer, profile, window, images, renderers,
                                  window, dialogs, clock, application, nullptr, nullptr, nullptr});

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
    return 0;
}
