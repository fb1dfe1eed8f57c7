#pragma once

#include "conversion/DocumentRenderer.h"

#include <QString>
#include <chrono>
#include <memory>

class ChildProcess;
class LockedFolder;
class ProcessLauncher;
class QLockFile;
struct OfficeAnswer;

// Where the office renderer's parts are and how long a document may take. Empty paths are
// found: the programs beside ours or on PATH, the profile in the per-user cache.
struct OfficeSetup
{
    QString workerProgram; // corvanta-office-worker
    QString officeProgram; // soffice
    QString profileFolder;
    std::chrono::milliseconds timeLimit = std::chrono::minutes(2);
};

// Lays out office documents with LibreOffice. A worker process of ours owns a warm office with
// a private profile; both start at the first document and serve the following ones. A document
// that crashes or hangs them costs that document only: they are killed and start again for the
// next one. A PDF appears under its final name only when it is complete. While it waits for the
// office it reports progress; a stop stops the worker too and throws RunStopped.
class OfficeRenderer final : public DocumentRenderer
{
public:
    explicit OfficeRenderer(ProcessLauncher& processes, OfficeSetup setup = {});
    ~OfficeRenderer() override;

    // Takes Route::Word and Route::Excel, and Route::Shell for the types imports() names.
    void renderToPdf(Route route, const QString& document, const QString& pdfFile) override;

    // True when the office lays out documents of this type (the shell route's handler table).
    static bool imports(const QString& path);

    // How many times the worker (with its office) was started.
    int workerStarts() const { return m_workerStarts; }

private:
    ChildProcess& worker(const QString& document);
    QString profileFolder(const QString& document);
    OfficeAnswer ask(const QByteArray& request, const QString& document);
    void stopWorker();

    ProcessLauncher& m_processes;
    OfficeSetup m_setup;
    std::unique_ptr<ChildProcess> m_worker;
    std::unique_ptr<QLockFile> m_profileLock;
    std::unique_ptr<LockedFolder> m_spareProfile;
    QString m_profile;
    int m_workerStarts = 0;
};
