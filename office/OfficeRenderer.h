#pragma once

#include "conversion/DocumentRenderer.h"

#include <QMimeType>
#include <QString>
#include <chrono>
#include <memory>
#include <vector>

class ChildProcess;
class LockedFolder;
class ProcessLauncher;
class QLockFile;
class QTemporaryDir;
struct OfficeAnswer;

// Where the office renderer's parts are and how long a document may take. Empty paths are
// found: the programs beside ours or on PATH, the profile in the per-user cache.
struct OfficeSetup
{
    QString workerProgram = {}; // corvanta-office-worker
    QString officeProgram = {}; // soffice
    QString profileFolder = {};
    std::chrono::milliseconds timeLimit = std::chrono::minutes(2);
    // How many offices may lay out documents at once, each with a worker and a profile of its
    // own.
    int workers = 1;
};

// Lays out office documents with LibreOffice. A worker process of ours owns a warm office with
// a private profile; both start at the first document (or at warmUp()) and serve the following
// ones. With several workers, documents named by prepare() are laid out ahead, side by side,
// and renderToPdf() collects them. A document that crashes or hangs its office costs that
// document only: the worker is killed and starts again for the next one. A PDF appears under
// its final name only when it is complete. While it waits for an office it reports progress;
// a stop stops every worker and throws RunStopped.
class OfficeRenderer final : public DocumentRenderer
{
public:
    explicit OfficeRenderer(ProcessLauncher& processes, OfficeSetup setup = {});
    ~OfficeRenderer() override;

    // Lays out what the route hands it: the route picked the office for the document (Word and
    // Excel documents, the shell route's documents imports() takes, metafile pictures); `route`
    // says how (a workbook is laid out as a workbook).
    void renderToPdf(Route route, const DocumentSource& source, const QString& pdfFile,
                     Progress& progress) override;
    // Starts laying out `document` on a worker that has nothing to do; nothing when none is
    // free. Failures wait for renderToPdf to report them.
    void prepare(Route route, const DocumentSource& document) override;
    // Starts the first worker and its office, so the first document does not wait for them.
    void warmUp() override;
    void forgetPrepared() override;
    // True when the office lays out documents of this name or content type (the shell route's
    // handler table).
    static bool imports(const QString& path, const QMimeType& content = {});

    // How many times a worker (with its office) was started.
    int workerStarts() const { return m_workerStarts; }

private:
    struct Lane;
    struct Laid;

    Lane* laneLayingOut(Route route, const QString& document);
    Lane* freeLane(bool waitForOne);
    void dropUnwanted(Lane& lane, std::chrono::milliseconds wait);
    void send(Lane& lane, Route route, const DocumentSource& document, const QString& partial);
    QString copyIn(Lane& lane, const DocumentSource& document);
    OfficeAnswer collect(Lane& lane, const QString& document);
    ChildProcess& worker(Lane& lane, const QString& document);
    QString profileFolder(Lane& lane, const QString& document);
    QString aheadFile();
    void stopWorker(Lane& lane);
    void stopAll();

    ProcessLauncher& m_processes;
    // What the waits for the worker report to: the progress of the document being asked for.
    Progress* m_progress = nullptr;
    OfficeSetup m_setup;
    std::vector<std::unique_ptr<Lane>> m_lanes;
    std::vector<Laid> m_laid; // laid out ahead and collected, not yet asked for
    std::unique_ptr<QTemporaryDir> m_ahead;
    int m_workerStarts = 0;
    int m_copies = 0;
};
