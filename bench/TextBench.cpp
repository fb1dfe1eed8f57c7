// The plain-text route on one file, in one of three ways; the script runs each in a process of
// its own so that its peak memory can be read:
//   layout  reading, decoding and wrapping only: widths from the real canvas, nothing drawn
//   route   the route drawing on the real canvas (QPdfWriter), without the printer's rewrite
//   job     the whole job through the real PDF printer, its qpdf rewrite included
//   corvanta-text-bench <layout|route|job> <text file> <output folder>
// Prints the time spent in the route and in ending the job, the pages, the size of the PDF, and
// how often the route reported progress.
#include "common/Progress.h"
#include "conversion/IPdfPrinterOptions.h"
#include "conversion/IPrinter.h"
#include "conversion/TextRoute.h"
#include "pdfprinter/PdfCanvas.h"
#include "pdfprinter/PdfPrinter.h"
#include "platform/text/UchardetDetector.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

// Ends a job by finishing the canvas's PDF only: what the route and Qt's PDF engine cost.
class CanvasPrinter final : public IPrinter
{
public:
    explicit CanvasPrinter(QString file) : m_file(std::move(file)) {}

    IPrintCanvas* beginDocument(const QString&) override
    {
        m_canvas = std::make_unique<PdfCanvas>(m_file, QStringLiteral("bench"));
        return m_canvas.get();
    }
    bool endDocument(Progress&) override { return m_canvas->finish(); }
    void abortDocument() override { m_canvas.reset(); }
    bool printRenderedPdf(const QString&, const QString&, Progress&) override { return false; }
    QString savedFile() const override { return m_file; }
    QString lastFailure() const override { return {}; }

private:
    QString m_file;
    std::unique_ptr<PdfCanvas> m_canvas;
};

// Measures with the real canvas but draws nothing: what reading and wrapping cost.
class LayoutPrinter final : public IPrinter, public IPrintCanvas
{
public:
    explicit LayoutPrinter(const QString& scratchFile) : m_measure(scratchFile, "bench") {}

    IPrintCanvas* beginDocument(const QString&) override { return this; }
    bool endDocument(Progress&) override { return true; }
    void abortDocument() override {}
    bool printRenderedPdf(const QString&, const QString&, Progress&) override { return false; }
    QString savedFile() const override { return {}; }
    QString lastFailure() const override { return {}; }

    QSizeF pageSize() const override { return m_measure.pageSize(); }
    void setFontPointSize(int points) override { m_measure.setFontPointSize(points); }
    void setTextFace(TextFace face) override { m_measure.setTextFace(face); }
    double lineSpacing() const override { return m_measure.lineSpacing(); }
    void drawText(double, double, const QString&) override {}
    double textWidth(const QString& text) const override { return m_measure.textWidth(text); }
    void drawPicture(const QRectF&, const QString&, const QImage&) override {}
    void newPage() override {}

private:
    PdfCanvas m_measure;
};

// Times the end of the job apart from the drawing.
class TimedEnd final : public IPrinter
{
public:
    explicit TimedEnd(IPrinter& printer) : m_printer(printer) {}

    IPrintCanvas* beginDocument(const QString& title) override
    {
        return m_printer.beginDocument(title);
    }
    bool endDocument(Progress& progress) override
    {
        QElapsedTimer timer;
        timer.start();
        const bool saved = m_printer.endDocument(progress);
        endSeconds = timer.nsecsElapsed() / 1e9;
        return saved;
    }
    void abortDocument() override { m_printer.abortDocument(); }
    bool printRenderedPdf(const QString& t, const QString& f, Progress& progress) override
    {
        return m_printer.printRenderedPdf(t, f, progress);
    }
    QString savedFile() const override { return m_printer.savedFile(); }
    QString lastFailure() const override { return m_printer.lastFailure(); }

    double endSeconds = 0;

private:
    IPrinter& m_printer;
};

// Counts the route's progress reports and the longest stretch without one.
class ReportClock final : public Progress
{
public:
    ReportClock() { m_timer.start(); }

    bool advance(int pagesDone) override
    {
        const qint64 now = m_timer.nsecsElapsed();
        longestGapMs = std::max(longestGapMs, (now - m_last) / 1e6);
        m_last = now;
        ++reports;
        pages = std::max(pages, pagesDone);
        return true;
    }

    int reports = 0;
    int pages = 0;
    double longestGapMs = 0;

private:
    QElapsedTimer m_timer;
    qint64 m_last = 0;
};

void setUpPrinter(PdfPrinter& printer, const QString& folder)
{
    printer.InitializeOptions("Corvanta", "Corvanta");
    printer.CreateProfile(kProfileName, 0);
    printer.SelectActiveProfile(kProfileName, 0);
    // What a conversion run writes before its first job, without protection.
    printer.SetNumberOption("Use Text Compression", 1, kProfileName, 0);
    printer.SetTextOption("Save File", "[N]", kProfileName, 0);
    printer.SetNumberOption("File Conflict Strategy", 3, kProfileName, 0);
    printer.SetNumberOption("Post Save Open", 0, kProfileName, 0);
    printer.SetTextOption("Save Folder", folder, kProfileName, 0);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString mode = argc == 4 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (mode != "layout" && mode != "route" && mode != "job") {
        std::fprintf(stderr, "usage: corvanta-text-bench <layout|route|job> <file> <folder>\n");
        return 2;
    }
    const QString input = QString::fromLocal8Bit(argv[2]);
    const QDir output(QString::fromLocal8Bit(argv[3]));
    const QString title = output.filePath(QFileInfo(input).completeBaseName() + ".PDF");

    PdfPrinter pdfPrinter;
    CanvasPrinter canvasPrinter(output.filePath("canvas.pdf"));
    LayoutPrinter layoutPrinter(output.filePath("scratch.pdf"));
    IPrinter* printer = &layoutPrinter;
    if (mode == "route") {
        printer = &canvasPrinter;
    } else if (mode == "job") {
        setUpPrinter(pdfPrinter, output.path());
        printer = &pdfPrinter;
    }
    TimedEnd timed(*printer);
    ReportClock reports;

    QElapsedTimer timer;
    timer.start();
    bool saved = false;
    try {
        saved =
            PrintTextDocument(timed, input, title, TextLookFor(input), &kUchardetDetector, reports);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "failed: %s\n", error.what());
        return 1;
    }
    const double seconds = timer.nsecsElapsed() / 1e9;
    const QString pdf = printer->savedFile();
    std::printf("%s: %s, %.1f MB in\n", qPrintable(mode), qPrintable(QFileInfo(input).fileName()),
                QFileInfo(input).size() / 1e6);
    std::printf("  seconds: %.2f (route %.2f, ending the job %.2f)\n", seconds,
                seconds - timed.endSeconds, timed.endSeconds);
    std::printf("  pages: %d, progress reports: %d, longest gap between reports: %.0f ms\n",
                reports.pages, reports.reports, reports.longestGapMs);
    if (!pdf.isEmpty())
        std::printf("  PDF: %.1f MB%s\n", QFileInfo(pdf).size() / 1e6, saved ? "" : " (NOT SAVED)");
    return saved ? 0 : 1;
}
