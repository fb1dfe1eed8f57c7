#include "office/OfficeRenderer.h"

#include "common/Progress.h"
#include "office/OfficeFormats.h"
#include "office/OfficeLimits.h"
#include "office/OfficeLocations.h"
#include "office/OfficeLog.h"
#include "office/OfficeProtocol.h"
#include "office/PdfCheck.h"
#include "platform/files/LockedFolder.h"
#include "platform/process/ProcessLauncher.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QRandomGenerator>
#include <QScopedValueRollback>
#include <QTemporaryDir>

#include <algorithm>
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

// The ways the worker lays a document out. Which documents go which way is the routes' to
// decide; a web page, plain text or a PDF never comes to the office.
bool laysOut(Route route)
{
    return route == Route::Word || route == Route::Excel || route == Route::Shell ||
           route == Route::Image;
}

// A name beside the final one, so the finished file is renamed within one folder; of its own
// length, so a document's long name still fits.
QString partialName(const QString& pdfFile)
{
    return QFileInfo(pdfFile).absolutePath() +
           QStringLiteral("/.corvanta-%1.partial.pdf")
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

// One worker with its office and profile, and the document it is laying out ahead, if any.
struct OfficeRenderer::Lane
{
    struct Ahead
    {
        Route route;
        QString document; // absolute
        QString partial;
        bool unwanted = false; // nobody will ask for it: its answer is thrown away
    };

    int number = 0;
    std::unique_ptr<ChildProcess> worker;
    std::unique_ptr<QLockFile> profileLock;
    std::unique_ptr<LockedFolder> spareProfile;
    QString profile;
    std::optional<Ahead> ahead;
};

// A document laid out ahead whose answer was read before anyone asked for it.
struct OfficeRenderer::Laid
{
    Route route;
    QString document;
    QString partial;
    OfficeAnswer answer;
    std::optional<RenderError> error; // the worker failed on it
};

OfficeRenderer::OfficeRenderer(ProcessLauncher& processes, OfficeSetup setup)
    : m_processes(processes), m_setup(std::move(setup))
{
    const int workers = std::clamp(m_setup.workers, 1, 16);
    for (int number = 0; number < workers; ++number) {
        m_lanes.push_back(std::make_unique<Lane>());
        m_lanes.back()->number = number;
    }
}

OfficeRenderer::~OfficeRenderer()
{
    for (const auto& lane : m_lanes) {
        if (lane->worker)
            lane->worker->finish(kWorkerGrace);
    }
}

bool OfficeRenderer::imports(const QString& path, const QMimeType& content)
{
    return OfficeImports(path) || OfficeReadsType(content);
}

void OfficeRenderer::renderToPdf(Route route, const DocumentSource& source, const QString& pdfFile,
                                 Progress& progress)
{
    const QScopedValueRollback reporting(m_progress, &progress);
    const QString& document = source.path;
    if (!laysOut(route))
        throw error(kNotForOffice, document);
    const QFileInfo readable(source.readable);
    if (!readable.isFile() || !readable.isReadable())
        throw error(kNotFound, document);
    const QString path = readable.absoluteFilePath();

    QElapsedTimer clock;
    clock.start();
    std::optional<PartialFile> partial;
    OfficeAnswer answer;
    const auto laid = std::find_if(m_laid.begin(), m_laid.end(), [&](const Laid& done) {
        return done.route == route && done.document == path;
    });
    if (laid != m_laid.end()) {
        partial.emplace(laid->partial);
        const Laid done = *laid;
        m_laid.erase(laid);
        if (done.error)
            throw *done.error;
        answer = done.answer;
    } else {
        Lane* lane = laneLayingOut(route, path);
        if (lane) {
            partial.emplace(lane->ahead->partial);
        } else {
            lane = freeLane(true);
            partial.emplace(partialName(pdfFile));
            send(*lane, route, {document, path}, partial->path());
        }
        lane->ahead.reset();
        answer = collect(*lane, document);
        if (answer.failure == OfficeFailure::Office || answer.failure == OfficeFailure::Request)
            stopWorker(*lane);
    }
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
        throw error(kOfficeFailed, document, answer.detail);
    }

    QString why;
    if (!IsCompletePdf(partial->path(), &why))
        throw error(kIncomplete, document, why);
    std::error_code failed;
    std::filesystem::rename(QFile::encodeName(partial->path()).constData(),
                            QFile::encodeName(pdfFile).constData(), failed);
    // A document laid out ahead waited in our own folder, which may be on another file system.
    const bool copied =
        failed == std::errc::cross_device_link && QFile::copy(partial->path(), pdfFile);
    if (failed && !copied)
        throw error(kNotSaved, document, pdfFile, QString::fromStdString(failed.message()));
    if (!copied)
        partial->keep();
    qCDebug(lcOffice) << document << "printed in" << clock.elapsed() << "ms";
}

void OfficeRenderer::prepare(Route route, const DocumentSource& document)
{
    const QFileInfo readable(document.readable);
    if (!laysOut(route) || !readable.isFile() || !readable.isReadable())
        return;
    const QString path = readable.absoluteFilePath();
    const bool known = laneLayingOut(route, path) ||
                       std::any_of(m_laid.begin(), m_laid.end(), [&](const Laid& done) {
                           return done.route == route && done.document == path;
                       });
    Lane* lane = known ? nullptr : freeLane(false);
    if (!lane)
        return;
    try {
        send(*lane, route, {document.path, path}, aheadFile());
        qCDebug(lcOffice) << document.path << "laid out ahead by worker" << lane->number;
    } catch (const RenderError&) {
        // renderToPdf tries again and reports it
    }
}

void OfficeRenderer::warmUp()
{
    Lane& first = *m_lanes.front();
    if (first.worker && first.worker->isRunning())
        return;
    try {
        worker(first, QString());
    } catch (const RenderError&) {
        // the first document reports it
    }
}

void OfficeRenderer::forgetPrepared()
{
    for (const auto& lane : m_lanes) {
        if (lane->ahead)
            lane->ahead->unwanted = true;
    }
    for (const Laid& done : m_laid)
        QFile::remove(done.partial);
    m_laid.clear();
}

OfficeRenderer::Lane* OfficeRenderer::laneLayingOut(Route route, const QString& document)
{
    for (const auto& lane : m_lanes) {
        if (lane->ahead && !lane->ahead->unwanted && lane->ahead->route == route &&
            lane->ahead->document == document)
            return lane.get();
    }
    return nullptr;
}

// A lane whose document nobody wants any more is free once its worker has answered.
void OfficeRenderer::dropUnwanted(Lane& lane, std::chrono::milliseconds wait)
{
    if (!lane.ahead || !lane.ahead->unwanted)
        return;
    const auto answered = lane.worker->readLine(wait);
    if (lane.worker->cancelled()) {
        stopAll();
        throw RunStopped();
    }
    if (!answered && lane.worker->isRunning() && wait == 0ms)
        return; // still at work
    QFile::remove(lane.ahead->partial);
    lane.ahead.reset();
    if (!answered)
        stopWorker(lane);
}

// A lane with nothing to do, one whose office runs before one that must start. With none free
// and `waitForOne`, the lane that started first is waited for and its result kept for later.
OfficeRenderer::Lane* OfficeRenderer::freeLane(bool waitForOne)
{
    Lane* cold = nullptr;
    for (const auto& lane : m_lanes) {
        dropUnwanted(*lane, 0ms);
        if (lane->ahead)
            continue;
        if (lane->worker && lane->worker->isRunning())
            return lane.get();
        if (!cold)
            cold = lane.get();
    }
    if (cold || !waitForOne)
        return cold;
    Lane& busy = *m_lanes.front();
    if (busy.ahead->unwanted) {
        dropUnwanted(busy, m_setup.timeLimit);
        return &busy;
    }
    Laid done{busy.ahead->route, busy.ahead->document, busy.ahead->partial, {}, {}};
    busy.ahead.reset();
    try {
        done.answer = collect(busy, done.document);
        if (done.answer.failure == OfficeFailure::Office ||
            done.answer.failure == OfficeFailure::Request)
            stopWorker(busy);
    } catch (const RenderError& failure) {
        done.error = failure;
    }
    m_laid.push_back(done);
    return &busy;
}

void OfficeRenderer::send(Lane& lane, Route route, const DocumentSource& document,
                          const QString& partial)
{
    ChildProcess& child = worker(lane, document.path);
    const QString copy = copyIn(lane, document);
    if (!child.writeLine(OfficeRequest{route, copy, partial}.toLine())) {
        stopWorker(lane);
        throw error(kCrashed, document.path);
    }
    lane.ahead = Lane::Ahead{route, document.readable, partial};
}

// The office reads a copy of what the run opened, never the document's own name: made here,
// under the document's file name, inside the lane's profile (a folder the confined office may
// read), from where the worker moves it into the office's inbox.
QString OfficeRenderer::copyIn(Lane& lane, const DocumentSource& document)
{
    const QString folder =
        lane.profile + QStringLiteral("/incoming/") + QString::number(++m_copies);
    QString copy = folder + QLatin1Char('/') + QFileInfo(document.path).fileName();
    if (!QDir().mkpath(folder) || !QFile::copy(document.readable, copy)) {
        QDir(folder).removeRecursively();
        throw error(kNotFound, document.path);
    }
    return copy;
}

OfficeAnswer OfficeRenderer::collect(Lane& lane, const QString& document)
{
    ChildProcess& child = *lane.worker;
    const auto line = child.readLine(m_setup.timeLimit);
    if (child.cancelled()) {
        // Every office may be half way through a document: the next ones get fresh workers.
        stopAll();
        throw RunStopped();
    }
    if (!line) {
        const bool hung = child.isRunning();
        stopWorker(lane);
        if (hung) {
            const auto seconds = std::chrono::duration<double>(m_setup.timeLimit).count();
            throw error(kTimedOut, document, QString::number(seconds, 'g', 3));
        }
        throw error(kCrashed, document);
    }
    const auto answer = OfficeAnswer::fromLine(*line);
    if (!answer) {
        stopWorker(lane);
        throw error(kGarbled, document);
    }
    return *answer;
}

ChildProcess& OfficeRenderer::worker(Lane& lane, const QString& document)
{
    if (lane.worker && lane.worker->isRunning())
        return *lane.worker;
    stopWorker(lane); // whatever it left behind

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
    command.arguments = {"--office", office, "--profile", profileFolder(lane, document)};
    command.errors = ProcessChannel::Forward; // the worker's log joins ours
    command.whileWaiting = [this] { return !m_progress || m_progress->advance(-1); };
    lane.worker = m_processes.start(command);
    if (!lane.worker->isRunning()) {
        const QString reason = lane.worker->finish(0ms).error;
        lane.worker.reset();
        throw error(kWorkerDidNotStart, document, reason);
    }
    ++m_workerStarts;
    // Copies a worker killed before it took them in; the lane's other documents went with it.
    QDir(lane.profile + QStringLiteral("/incoming")).removeRecursively();
    qCInfo(lcOffice) << "office worker" << lane.worker->processId() << "started with profile"
                     << lane.profile;
    return *lane.worker;
}

// Each lane keeps a profile of its own from run to run ("office-profile", "office-profile.2",
// ...), so its office starts warm.
QString OfficeRenderer::profileFolder(Lane& lane, const QString& document)
{
    if (!lane.profile.isEmpty())
        return lane.profile;
    QString preferred =
        m_setup.profileFolder.isEmpty() ? DefaultOfficeProfile() : m_setup.profileFolder;
    const QString spares = QFileInfo(preferred).fileName() + QLatin1Char('-');
    if (lane.number > 0)
        preferred += QLatin1Char('.') + QString::number(lane.number + 1);
    const QString parent = QFileInfo(preferred).absolutePath();
    // The profiles hold copies of the documents being converted: the user's alone.
    QDir().mkpath(parent);
    QFile::setPermissions(parent, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    // Spare profiles of instances that were killed are locked by nobody.
    SweepAbandonedFolders(parent, spares);
    // Two instances of the program (a scheduled run beside an open window) cannot share one
    // office profile; the second gets a temporary one.
    lane.profileLock = std::make_unique<QLockFile>(preferred + QStringLiteral(".lock"));
    if (lane.profileLock->tryLock(0)) {
        lane.profile = preferred;
    } else {
        lane.profileLock.reset();
        QString why;
        lane.spareProfile = LockedFolder::create(parent, spares, &why);
        if (!lane.spareProfile)
            throw error(kNoProfile, document, why);
        lane.profile = lane.spareProfile->path();
        qCInfo(lcOffice) << preferred << "is in use by another instance; using" << lane.profile;
    }
    return lane.profile;
}

// Documents laid out ahead wait in a private folder until they are asked for.
QString OfficeRenderer::aheadFile()
{
    if (!m_ahead)
        m_ahead = std::make_unique<QTemporaryDir>();
    return m_ahead->filePath(
        QStringLiteral("ahead-%1.pdf")
            .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')));
}

void OfficeRenderer::stopWorker(Lane& lane)
{
    if (lane.ahead) {
        QFile::remove(lane.ahead->partial);
        lane.ahead.reset();
    }
    if (!lane.worker)
        return;
    lane.worker->kill(); // and the office with it: they share a process group
    lane.worker.reset();
}

void OfficeRenderer::stopAll()
{
    for (const auto& lane : m_lanes)
        stopWorker(*lane);
    for (const Laid& done : m_laid)
        QFile::remove(done.partial);
    m_laid.clear();
}
