#pragma once

#include "conversion/IPdfPrinterOptions.h"
#include "conversion/IPrinter.h"
#include "pdfprinter/PrinterSettings.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

class PdfCanvas;
struct OutputOptions;
struct PdfJobOutput;
class QTemporaryDir;

// The PDF printer: its options object (profiles with their options, kept per user in
// PrinterSettings::defaultFileName()) and the printer the routes print to. Each job becomes one
// PDF written from the active profile; the attached window then gets PDFPRINTER_FILESAVED, or
// PDFPRINTER_PRINTERROR with 3 when the PDF could not be saved. Passwords stay in this process.
// A job the user stops while it is written throws RunStopped and leaves nothing behind.
class PdfPrinter final : public IPdfPrinterOptions, public IPrinter
{
public:
    PdfPrinter();
    ~PdfPrinter() override;

    PrinterResult MakePdfPrinterDefault() override;
    PrinterResult RestorePreviousDefaultPrinter() override;
    PrinterResult AttachMessageWindow(QObject* window) override;
    PrinterResult InitializeOptions(const QString& printerName,
                                    const QString& applicationName) override;
    PrinterResult SetTextOption(const QString& option, const QString& value, const QString& profile,
                                int reserved) override;
    PrinterResult SetNumberOption(const QString& option, int value, const QString& profile,
                                  int reserved) override;
    PrinterResult SetPasswordOption(const QString& option, const QString& value,
                                    const QString& profile, int reserved) override;
    PrinterResult CreateProfile(const QString& profile, int reserved) override;
    PrinterResult RemoveProfile(const QString& profile, int reserved) override;
    PrinterResult SelectActiveProfile(const QString& profile, int reserved) override;
    PrinterResult NotifyAutomationServer(const QString& progId) override;
    PrinterResult NotifyAutomationPrint() override;
    PrinterResult NotifyDocumentPath(const QString& path) override;

    IPrintCanvas* beginDocument(const QString& title) override;
    bool endDocument(Progress& progress) override;
    void abortDocument() override;
    bool printRenderedPdf(const QString& title, const QString& pdfFile,
                          Progress& progress) override;
    QString savedFile() const override { return m_lastSaved; }
    QString lastFailure() const override { return m_lastFailure; }

    // The user's default printer as this printer keeps it (empty: none set).
    QString defaultPrinter() const;
    QString settingsFile() const;
    QString activeProfile() const { return m_activeProfile; }
    // Tests only: a fixed /ID and no dates, so the same job gives the same bytes.
    void setReproducibleOutput(bool on) { m_reproducible = on; }

private:
    struct CanvasJob;

    bool ready() const { return m_settings != nullptr; }
    bool hasProfile(const QString& profile);
    PrinterResult setOption(const QString& option, const QString& profile,
                            const std::function<bool()>& store);
    bool deliver(PdfJobOutput& job, Progress& progress);
    // Posts to the attached window; a print error's detail is also kept as the last failure.
    void post(const QString& message, int wParam, const QString& detail = {});
    void endJob();
    void wipeSecrets(const QString& profile);

    std::unique_ptr<PrinterSettings> m_settings;
    QString m_printerName;
    QString m_applicationName;
    QString m_activeProfile;
    QHash<QString, QHash<QString, QString>> m_secrets; // profile -> option -> value, memory only
    // The options this process set, per profile: what its jobs are written with.
    QHash<QString, ProfileValues> m_runOptions;
    QSet<QString> m_createdHere; // the profiles this instance created and has not removed
    QPointer<QObject> m_window;
    QString m_automationServer;
    bool m_automationPrint = false;
    QString m_documentPath;
    std::unique_ptr<CanvasJob> m_job;
    QString m_lastSaved;
    QString m_lastFailure;
    bool m_reproducible = false;
};
