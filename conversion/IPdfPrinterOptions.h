#pragma once

#include <QString>

class QObject;

// Result codes of the PDF printer's operations, COM style: negative is a failure.
using PrinterResult = long;
inline constexpr PrinterResult kPrinterOk = 0;
inline constexpr PrinterResult kPrinterFailed = -2147467259;     // 0x80004005
inline constexpr PrinterResult kPrinterInvalidArg = -2147024809; // 0x80070057
inline constexpr bool failed(PrinterResult r)
{
    return r < 0;
}

inline const QString kProfileName = QStringLiteral("Corvanta Profile");
// The password option, which the printer holds in memory only.
inline const QString kUserPasswordOption = QStringLiteral("User Password");
// A number option of this printer's own: 1 makes the saved PDFs readable by their owner only
// (unprotected single PDFs on their way into a protected merged file).
inline const QString kOwnerOnlyOption = QStringLiteral("Owner Only");

// The options object of the PDF printer. The thirteen operations keep the driver's slot order;
// every text argument is a plain QString, every operation answers a result code.
class IPdfPrinterOptions
{
public:
    virtual ~IPdfPrinterOptions() = default;

    virtual PrinterResult MakePdfPrinterDefault() = 0;
    virtual PrinterResult RestorePreviousDefaultPrinter() = 0;
    // The window that receives PDFPRINTER_FILESAVED / PDFPRINTER_PRINTERROR.
    virtual PrinterResult AttachMessageWindow(QObject* window) = 0;
    virtual PrinterResult InitializeOptions(const QString& printerName,
                                            const QString& applicationName) = 0;
    virtual PrinterResult SetTextOption(const QString& option, const QString& value,
                                        const QString& profile, int reserved) = 0;
    virtual PrinterResult SetNumberOption(const QString& option, int value, const QString& profile,
                                          int reserved) = 0;
    virtual PrinterResult SetPasswordOption(const QString& option, const QString& value,
                                            const QString& profile, int reserved) = 0;
    virtual PrinterResult CreateProfile(const QString& profile, int reserved) = 0;
    virtual PrinterResult RemoveProfile(const QString& profile, int reserved) = 0;
    virtual PrinterResult SelectActiveProfile(const QString& profile, int reserved) = 0;
    virtual PrinterResult NotifyAutomationServer(const QString& progId) = 0;
    virtual PrinterResult NotifyAutomationPrint() = 0;
    virtual PrinterResult NotifyDocumentPath(const QString& path) = 0;
};
