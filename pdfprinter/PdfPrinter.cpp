#include "pdfprinter/PdfPrinter.h"

#include "pdfprinter/OutputOptions.h"
#include "pdfprinter/OutputPipeline.h"
#include "pdfprinter/PdfCanvas.h"
#include "pdfprinter/PdfOutput.h"
#include "pdfprinter/PdfPrinterLog.h"
#include "pdfprinter/PrinterSettings.h"
#include "platform/application/Secrets.h"
#include "platform/messages/WindowMessages.h"

#include "common/Progress.h"

#include <QDesktopServices>
#include <QTemporaryDir>
#include <QUrl>

namespace {

// Print error codes the main window knows.
constexpr int kTemporaryFileError = 1;
constexpr int kSaveError = 3;

// Passwords are kept in memory only, whichever call sets them.
bool isSecret(const QString& option)
{
    return option.contains("Password", Qt::CaseInsensitive);
}

} // namespace

struct PdfPrinter::CanvasJob
{
    QString title;
    QTemporaryDir folder; // private (0700), removed with the job
    std::unique_ptr<PdfCanvas> canvas;
};

PdfPrinter::PdfPrinter() = default;

PdfPrinter::~PdfPrinter()
{
    for (const QString& profile : m_secrets.keys())
        wipeSecrets(profile);
}

PrinterResult PdfPrinter::InitializeOptions(const QString& printerName,
                                            const QString& applicationName)
{
    if (printerName.isEmpty() || applicationName.isEmpty())
        return kPrinterInvalidArg;
    m_printerName = printerName;
    m_applicationName = applicationName;
    m_settings = std::make_unique<PrinterSettings>(PrinterSettings::defaultFileName());
    qCDebug(lcPdfPrinter) << "printer" << printerName << "for" << applicationName << "settings in"
                          << m_settings->fileName();
    return kPrinterOk;
}

QString PdfPrinter::settingsFile() const
{
    return ready() ? m_settings->fileName() : QString();
}

QString PdfPrinter::defaultPrinter() const
{
    return ready() ? m_settings->defaultPrinter() : QString();
}

PrinterResult PdfPrinter::MakePdfPrinterDefault()
{
    if (!ready())
        return kPrinterFailed;
    return m_settings->makeDefault(m_printerName) ? kPrinterOk : kPrinterFailed;
}

PrinterResult PdfPrinter::RestorePreviousDefaultPrinter()
{
    if (!ready())
        return kPrinterFailed;
    return m_settings->restorePreviousDefault() ? kPrinterOk : kPrinterFailed;
}

PrinterResult PdfPrinter::AttachMessageWindow(QObject* window)
{
    if (!ready())
        return kPrinterFailed;
    m_window = window;
    return kPrinterOk;
}

PrinterResult PdfPrinter::CreateProfile(const QString& profile, int)
{
    if (!ready())
        return kPrinterFailed;
    if (profile.isEmpty())
        return kPrinterInvalidArg;
    if (!m_settings->createProfile(profile))
        return kPrinterFailed;
    m_createdHere.insert(profile);
    return kPrinterOk;
}

PrinterResult PdfPrinter::RemoveProfile(const QString& profile, int)
{
    if (!ready())
        return kPrinterFailed;
    if (profile.isEmpty())
        return kPrinterInvalidArg;
    wipeSecrets(profile);
    m_runOptions.remove(profile);
    m_createdHere.remove(profile);
    if (m_activeProfile == profile)
        m_activeProfile.clear();
    return m_settings->removeProfile(profile) ? kPrinterOk : kPrinterFailed;
}

PrinterResult PdfPrinter::SelectActiveProfile(const QString& profile, int)
{
    if (!ready())
        return kPrinterFailed;
    if (profile.isEmpty())
        return kPrinterInvalidArg;
    if (!hasProfile(profile))
        return kPrinterFailed;
    m_activeProfile = profile;
    // From here on this process's jobs follow this process's options only: another instance
    // writing the shared settings file meanwhile changes nothing here.
    if (!m_runOptions.contains(profile))
        m_runOptions.insert(profile, m_settings->values(profile));
    return kPrinterOk;
}

// Every instance of the program uses the same profile, and each removes it when its window
// closes: a profile this instance created is created again when another has removed it, so one
// window closing never ends the runs of another. Its options live on in this instance's memory.
bool PdfPrinter::hasProfile(const QString& profile)
{
    if (m_settings->hasProfile(profile))
        return true;
    return m_createdHere.contains(profile) && m_settings->createProfile(profile);
}

PrinterResult PdfPrinter::setOption(const QString& option, const QString& profile,
                                    const std::function<bool()>& store)
{
    if (!ready())
        return kPrinterFailed;
    if (option.isEmpty() || profile.isEmpty())
        return kPrinterInvalidArg;
    if (!hasProfile(profile))
        return kPrinterFailed;
    return store() ? kPrinterOk : kPrinterFailed;
}

PrinterResult PdfPrinter::SetTextOption(const QString& option, const QString& value,
                                        const QString& profile, int reserved)
{
    if (isSecret(option))
        return SetPasswordOption(option, value, profile, reserved);
    return setOption(option, profile, [&] {
        QMap<QString, QString>& texts = m_runOptions[profile].texts;
        if (texts.contains(option) && texts.value(option) == value)
            return true; // so here and in the file already: a run sets its folder per document
        texts.insert(option, value);
        return m_settings->setText(profile, option, value);
    });
}

PrinterResult PdfPrinter::SetNumberOption(const QString& option, int value, const QString& profile,
                                          int)
{
    return setOption(option, profile, [&] {
        QMap<QString, int>& numbers = m_runOptions[profile].numbers;
        if (numbers.contains(option) && numbers.value(option) == value)
            return true;
        numbers.insert(option, value);
        return m_settings->setNumber(profile, option, value);
    });
}

PrinterResult PdfPrinter::SetPasswordOption(const QString& option, const QString& value,
                                            const QString& profile, int)
{
    return setOption(option, profile, [&] {
        QString& held = m_secrets[profile][option];
        Wipe(held);
        if (value.isEmpty()) {
            m_secrets[profile].remove(option); // an empty password wipes the one held
            return true;
        }
        // A process that holds a password leaves no core dump and cannot be read by others
        // of the user's programs, for the rest of its life (the window keeps the text too).
        KeepOutOfCoreDumps();
        held = value;
        return true;
    });
}

PrinterResult PdfPrinter::NotifyAutomationServer(const QString& progId)
{
    if (!ready())
        return kPrinterFailed;
    m_automationServer = progId;
    return kPrinterOk;
}

PrinterResult PdfPrinter::NotifyAutomationPrint()
{
    if (!ready())
        return kPrinterFailed;
    m_automationPrint = true;
    return kPrinterOk;
}

PrinterResult PdfPrinter::NotifyDocumentPath(const QString& path)
{
    if (!ready())
        return kPrinterFailed;
    m_documentPath = path;
    return kPrinterOk;
}

IPrintCanvas* PdfPrinter::beginDocument(const QString& title)
{
    if (!ready() || m_job) {
        qCWarning(lcPdfPrinter) << "cannot start the job" << title
                                << (m_job ? "while another job is open" : "before initialising");
        return nullptr;
    }
    m_lastSaved.clear();
    m_lastFailure.clear();
    auto job = std::make_unique<CanvasJob>();
    job->title = title;
    if (job->folder.isValid())
        job->canvas = std::make_unique<PdfCanvas>(
            job->folder.filePath(QStringLiteral("canvas.pdf")), m_applicationName);
    if (!job->canvas || !job->canvas->isActive()) {
        qCWarning(lcPdfPrinter) << "no temporary file for the job" << title
                                << job->folder.errorString();
        post(kPrintErrorMessageName, kTemporaryFileError, job->folder.errorString());
        return nullptr;
    }
    m_job = std::move(job);
    return m_job->canvas.get();
}

bool PdfPrinter::endDocument(Progress& progress)
{
    if (!m_job)
        return false;
    const std::unique_ptr<CanvasJob> job = std::move(m_job);
    if (!job->canvas->finish()) {
        qCWarning(lcPdfPrinter) << "the canvas of" << job->title << "could not be finished";
        post(kPrintErrorMessageName, kSaveError,
             job->title + QStringLiteral(": the pages could not be written to the temporary "
                                         "folder (is its disk full?)"));
        endJob();
        return false;
    }
    PdfJobOutput output{job->folder.filePath(QStringLiteral("canvas.pdf")), job->canvas->pictures(),
                        job->title};
    return deliver(output, progress);
}

void PdfPrinter::abortDocument()
{
    if (m_job)
        qCDebug(lcPdfPrinter) << "job" << m_job->title << "dropped";
    m_job.reset();
    endJob();
}

bool PdfPrinter::printRenderedPdf(const QString& title, const QString& pdfFile, Progress& progress)
{
    if (!ready() || m_job) {
        qCWarning(lcPdfPrinter) << "cannot print" << title
                                << (m_job ? "while a job is open" : "before initialising");
        return false;
    }
    PdfJobOutput output{pdfFile, {}, title};
    return deliver(output, progress);
}

bool PdfPrinter::deliver(PdfJobOutput& job, Progress& progress)
{
    job.reproducible = m_reproducible;
    qCDebug(lcPdfPrinter) << "job" << job.title << "server" << m_automationServer
                          << "automation print" << m_automationPrint << "document path"
                          << m_documentPath;
    bool saved = false;
    m_lastSaved.clear();
    m_lastFailure.clear();
    try {
        if (m_activeProfile.isEmpty() || !hasProfile(m_activeProfile))
            throw PdfOutputError(job.title, QStringLiteral("no profile is active"));
        const std::optional<QString> password =
            m_secrets.value(m_activeProfile).contains(kUserPasswordOption)
                ? std::optional(m_secrets.value(m_activeProfile).value(kUserPasswordOption))
                : std::nullopt;
        const OutputOptions options =
            OutputOptions::fromProfile(m_runOptions.value(m_activeProfile), password);
        m_lastSaved = WriteKeepingTheWindowAlive(progress, [&](const std::atomic_bool& stop) {
            return WriteJobPdf(job, options, stop);
        });
        qCDebug(lcPdfPrinter) << "job" << job.title << "saved as" << m_lastSaved;
        post(kFileSavedMessageName, 0);
        if (options.openAfterSave)
            QDesktopServices::openUrl(QUrl::fromLocalFile(m_lastSaved));
        saved = true;
    } catch (const RunStopped&) {
        qCDebug(lcPdfPrinter) << "job" << job.title << "dropped: the run was stopped";
        endJob();
        throw;
    } catch (const std::exception& error) {
        // The window tells the user, from the message posted below.
        qCDebug(lcPdfPrinter) << "job" << job.title << "not saved:" << error.what();
        post(kPrintErrorMessageName, kSaveError, QString::fromUtf8(error.what()));
    }
    endJob();
    return saved;
}

void PdfPrinter::wipeSecrets(const QString& profile)
{
    for (QString& secret : m_secrets[profile])
        Wipe(secret);
    m_secrets.remove(profile);
}

void PdfPrinter::post(const QString& message, int wParam, const QString& detail)
{
    if (message == kPrintErrorMessageName)
        m_lastFailure = detail;
    PostWindowMessage(m_window, RegisterWindowMessage(message), wParam, 0, detail);
}

// What the routes announced applies to one job only.
void PdfPrinter::endJob()
{
    m_automationServer.clear();
    m_automationPrint = false;
    m_documentPath.clear();
}
