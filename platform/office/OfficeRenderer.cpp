#include "platform/office/OfficeRenderer.h"

#include "platform/application/Progress.h"
#include "platform/files/LockedFolder.h"
#include "platform/office/OfficeFormats.h"
#include "platform/office/OfficeLimits.h"
#include "platform/office/OfficeLocations.h"
#include "platform/office/OfficeLog.h"
#include "platform/office/OfficeProtocol.h"
#include "platform/office/PdfCheck.h"
#include "platform/process/ProcessLauncher.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QRandomGenerator>

#include <filesystem>
#include <system_error>

using namespace std::chrono_literals;

namespace {

const char kWorkerName[] = "corvanta-office-worker";
const char kOfficeName[] = "soffice";
// The worker ends its office politely when its input closes; that takes a few seconds at most.
constexpr auto kWorkerGrace = 15s;

const char kNotForOffice[] = "%1 is not a document LibreOffice prints.";
const char kNotFound[] = "%1 could not be read: the file is missing or not readable.";
const char kNoOffice[] = "LibreOffice was not found, so %1 cannot be printed. Install "
                         "LibreOffice (soffice) on this computer.";
const char kNoWorker[] = "The office worker (%2) was not found, so %1 cannot be printed. "
                         "Reinstall the program.";
const char kWorkerDidNotStart[] = "The office worker could not be started to print %1: %2";
const char kTimedOut[] = "LibreOffice did not finish %1 within %2 seconds; it was stopped and "
                         "will start again for the next document.";
const char kCrashed[] = "LibreOffice stopped working while printing %1; it will start again "
                        "for the next document.";
const char kGarbled[] = "The office worker gave an unexpected answer while printing %1; it "
                        "will start again for the next document.";
const char kPassword[] = "%1 is protected by a password and cannot be printed unattended.";
const char kUnreadable[] = "%1 could not be opened: it is damaged or not in a format "
                           "LibreOffice reads (%2).";
const char kExportFailed[] = "LibreOffice could not lay out %1 as a PDF (%2).";
const char kOfficeFailed[] = "LibreOffice failed while printing %1 (%2); it will start again "
                             "for the next document.";
const char kNeedsMemory[] = "%1 needs more memory than LibreOffice may take (%2 GB); LibreOffice "
                            "was stopped and starts again for the next document.";
const char kIncomplete[] = "LibreOffice did not produce a complete PDF of %1 (%2).";
const char kNoProfile[] = "LibreOffice cannot print %1: no office profile of its own could be "
                          "made (%2).";
const char kNotSaved[] = "The PDF of %1 could not be saved as %2 (%3).";

RenderError logged(const QString& message)
{
    qCWarning(lcOffice).noquote() << message;
    return RenderError(message.toStdString());
}

// The arguments are filled in at once, so a path with a % sign in it stays as it is.
RenderError error(const char* text, const QString& document)
{
    return logged(QString::fromUtf8(text).arg(document));
}

RenderError error(const char* text, const QString& document, const QString& detail)
{
    QString message = QString::fromUtf8(text).arg(document, detail);
    if (detail.isEmpty())
        message.remove(QStringLiteral(" ()")); // the office gave no reason
    return logged(message);
}

RenderError error(const char* text, const QString& document, const QString& second,
                  const QString& third)
{
    return logged(QString::fromUtf8(text).arg(document, second, third));
}

bool takes(Route route, const QString& document)
{
    return route == Route::Word || route == Route::Excel ||
           (route == Route::Shell && OfficeImports(document)) ||
           (route == Route::Image && IsVectorPicture(document));
}

// A name beside the final one, so the finished file is renamed within one folder.
QString partialName(const QString& pdfFile)
{
    const QFileInfo target(pdfFile);
    return target.absolutePath() +
           QStringLiteral("/.%1.%2.partial.pdf")
               .arg(target.fileName())
               .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
}

// Removes the partial file unless it became the final one.
class PartialFile
{
public:
    explicit PartialFile(QString path) : m_path(std::move(path)) {}
    PartialFile(const PartialFile&) = delete;
    PartialFile& operator=(const PartialFile&) = delete;
    ~PartialFile()
    {
        if (!m_kept)
            QFile::remove(m_path);
    }
    const QString& path() const { return m_path; }
    void keep() { m_kept = true; }

private:
    QString m_path;
    bool m_kept = false;
};

} // namespace

OfficeRenderer::OfficeRenderer(ProcessLauncher& processes, OfficeSetup setup)
    : m_processes(processes), m_setup(std::move(setup))
{
}

OfficeRenderer::~OfficeRenderer()
{
    if (m_worker)
        m_worker->finish(kWorkerGrace);
}

bool OfficeRenderer::imports(const QString& path)
{
    return OfficeImports(path);
}

void OfficeRenderer::renderToPdf(Route route, const QString& document, const QString& pdfFile)
{
    if (!takes(route, document))
        throw error(kNotForOffice, document);
    const QFileInfo source(document);
    if (!source.isFile() || !source.isReadable())
        throw error(kNotFound, document);

    QElapsedTimer clock;
    clock.start();
    PartialFile partial(partialName(pdfFile));
    const OfficeRequest request{route, source.absoluteFilePath(), partial.path()};
    const OfficeAnswer answer = ask(request.toLine(), document);
    switch (answer.failure) {
    case OfficeFailure::None:
        break;
    case OfficeFailure::Password:
        throw error(kPassword, document);
    case OfficeFailure::Unreadable:
        throw error(kUnreadable, document, answer.detail);
    case OfficeFailure::Export:
        throw error(kExportFailed, document, answer.detail);
    case OfficeFailure::Memory:
        // The worker has ended its office already; it starts another for the next document.
        throw error(kNeedsMemory, document, QString::number(kOfficeMemoryLimit >> 30));
    case OfficeFailure::Office:
    case OfficeFailure::Request:
        stopWorker();
        throw error(kOfficeFailed, document, answer.detail);
    }

    QString why;
    if (!IsCompletePdf(partial.path(), &why))
        throw error(kIncomplete, document, why);
    std::error_code failed;
    std::filesystem::rename(QFile::encodeName(partial.path()).constData(),
                            QFile::encodeName(pdfFile).constData(), failed);
    if (failed)
        throw error(kNotSaved, document, pdfFile, QString::fromStdString(failed.message()));
    partial.keep();
    qCDebug(lcOffice) << document << "printed in" << clock.elapsed() << "ms";
}

OfficeAnswer OfficeRenderer::ask(const QByteArray& request, const QString& document)
{
    ChildProcess& child = worker(document);
    const bool sent = child.writeLine(request);
    const auto line = sent ? child.readLine(m_setup.timeLimit) : std::nullopt;
    if (child.cancelled()) {
        // The worker may be half way through the document: the next one gets a fresh worker.
        stopWorker();
        throw RunStopped();
    }
    if (!sent) {
        stopWorker();
        throw error(kCrashed, document);
    }
    if (!line) {
        const bool hung = child.isRunning();
        stopWorker();
        if (hung) {
            const auto seconds = std::chrono::duration<double>(m_setup.timeLimit).count();
            throw error(kTimedOut, document, QString::number(seconds, 'g', 3));
        }
        throw error(kCrashed, document);
    }
    const auto answer = OfficeAnswer::fromLine(*line);
    if (!answer) {
        stopWorker();
        throw error(kGarbled, document);
    }
    return *answer;
}

ChildProcess& OfficeRenderer::worker(const QString& document)
{
    if (m_worker && m_worker->isRunning())
        return *m_worker;
    stopWorker(); // whatever it left behind

    const QString office =
        m_setup.officeProgram.isEmpty() ? FindProgram(kOfficeName) : m_setup.officeProgram;
    if (office.isEmpty() || !QFileInfo(office).isExecutable())
        throw error(kNoOffice, document);
    const QString program =
        m_setup.workerProgram.isEmpty() ? FindProgram(kWorkerName) : m_setup.workerProgram;
    if (program.isEmpty() || !QFileInfo(program).isExecutable())
        throw error(kNoWorker, document, kWorkerName);

    ProcessCommand command;
    command.program = program;
    command.arguments = {"--office", office, "--profile", profileFolder(document)};
    command.errors = ProcessChannel::Forward; // the worker's log joins ours
    command.whileWaiting = [] { return ReportProgress(); };
    m_worker = m_processes.start(command);
    if (!m_worker->isRunning()) {
        const QString reason = m_worker->finish(0ms).error;
        m_worker.reset();
        throw error(kWorkerDidNotStart, document, reason);
    }
    ++m_workerStarts;
    qCInfo(lcOffice) << "office worker" << m_worker->processId() << "started with profile"
                     << m_profile;
    return *m_worker;
}

QString OfficeRenderer::profileFolder(const QString& document)
{
    if (!m_profile.isEmpty())
        return m_profile;
    const QString preferred =
        m_setup.profileFolder.isEmpty() ? DefaultOfficeProfile() : m_setup.profileFolder;
    const QString parent = QFileInfo(preferred).absolutePath();
    // The profiles hold copies of the documents being converted: the user's alone.
    QDir().mkpath(parent);
    QFile::setPermissions(parent, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    // Spare profiles of instances that were killed are locked by nobody.
    const QString spares = QFileInfo(preferred).fileName() + QLatin1Char('-');
    SweepAbandonedFolders(parent, spares);
    // Two instances of the program (a scheduled run beside an open window) cannot share one
    // office profile; the second gets a temporary one.
    m_profileLock = std::make_unique<QLockFile>(preferred + QStringLiteral(".lock"));
    if (m_profileLock->tryLock(0)) {
        m_profile = preferred;
    } else {
        m_profileLock.reset();
        QString why;
        m_spareProfile = LockedFolder::create(parent, spares, &why);
        if (!m_spareProfile)
            throw error(kNoProfile, document, why);
        m_profile = m_spareProfile->path();
        qCInfo(lcOffice) << preferred << "is in use by another instance; using" << m_profile;
    }
    return m_profile;
}

void OfficeRenderer::stopWorker()
{
    if (!m_worker)
        return;
    m_worker->kill(); // and the office with it: they share a process group
    m_worker.reset();
}
