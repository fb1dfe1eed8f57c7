#pragma once

#include "conversion/DocumentRenderer.h"

#include <QList>
#include <QString>
#include <chrono>
#include <memory>

class ChildProcess;
class ProcessLauncher;
class QTemporaryDir;
enum class WebContent;

// Lays out web pages, and SVG drawings (the shell route's), as a browser prints them, in a
// worker process of ours that hosts the web engine (corvanta-web-worker). The worker starts at
// the first document and serves the following ones; a page that crashes, hangs or takes the
// engine down costs that page only: the worker is ended and a fresh one takes the next page.
// The worker never opens a document by its name: this program reads the bytes the run opened
// and hands them over, and the page reads nothing but files below its own folder. Pages named
// by prepare() are loaded and printed ahead in the worker while the run converts the ones
// before. While it waits for the worker it reports progress; a stop ends the worker and throws
// RunStopped.
class WebPageRenderer final : public DocumentRenderer
{
public:
    // The memory a page's renderer may hold of its own, its scripts' heap included: twice what
    // a heavy page needs (twenty 9-megapixel pictures and a table, 140 pages: 500 MB at most),
    // and still room on a desktop machine beside the rest of a run.
    static constexpr int kPageMemoryMb = 1024;
    // The largest page or drawing handed to the worker.
    static constexpr qint64 kPageBytesLimit = 64 << 20;

    // `waitLimit` bounds the wait for a page to become ready to print, and the printing itself.
    // An empty `workerProgram` is the one installed with the program.
    explicit WebPageRenderer(ProcessLauncher& processes,
                             std::chrono::milliseconds waitLimit = std::chrono::seconds(60),
                             QString workerProgram = {});
    ~WebPageRenderer() override;

    // Route::Shell brings an SVG drawing (perhaps gzip-compressed); any other route a web page.
    void renderToPdf(Route route, const DocumentSource& source, const QString& pdfFile,
                     Progress& progress) override;
    // The worker, its engine and the page of the document's folder are started now: they take
    // a moment that the run spends on the documents before. The first document prepared that
    // is not converted yet is loaded ahead of its turn.
    void prepare(Route route, const DocumentSource& document) override;
    void warmUp() override;
    void forgetPrepared() override;

    // The worker's process id, 0 while there is none.
    qint64 workerProcessId() const;
    // How many times a worker was started.
    int workerStarts() const { return m_workerStarts; }

private:
    struct Wanted;

    ChildProcess& worker(const QString& document);
    QString handOver(const DocumentSource& document, QString* why);
    bool sendPrepare(const Wanted& wanted);
    QString scratchFile(const char* kind);
    void stopWorker();

    ProcessLauncher& m_processes;
    // What the waits for the worker report to: the progress of the document being asked for.
    Progress* m_progress = nullptr;
    std::chrono::milliseconds m_waitLimit;
    QString m_workerProgram;
    std::unique_ptr<ChildProcess> m_worker;
    std::unique_ptr<QTemporaryDir> m_scratch; // bytes handed over and PDFs handed back
    QList<Wanted> m_wanted;                   // prepared and not yet converted, in the run's order
    int m_workerStarts = 0;
    int m_files = 0;
};
