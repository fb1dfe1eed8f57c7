#pragma once

#include "conversion/PrintHandlerTable.h"
#include "pdfprinter/PdfPublisher.h"
#include "pdfprinter/pictures/FilePictureCheck.h"
#include "platform/files/FolderRunLock.h"
#include "platform/files/OwnFileOpener.h"
#include "platform/text/UchardetDetector.h"

#include <QString>
#include <functional>
#include <memory>

class Application;
class Clock;
class ComApartment;
class Desktop;
class Dialogs;
class DocumentRenderer;
class HelpEngine;
class ISettingsStore;
class PdfChecker;
class PdfToolkit;
class IPdfPrinterOptions;
class IPrinter;
class RunObserver;
class ScanDevices;
class StopSignals;
class SystemAccount;
class TaskScheduler;

// The PDF printer as start-up creates it: its options object and the printer the routes print
// to. Empty options mean the printer could not be created.
struct PdfDriver
{
    std::shared_ptr<IPdfPrinterOptions> options;
    std::shared_ptr<IPrinter> printer;
};

// The platform services the main window works with; main() passes the real ones, tests fakes.
struct MainFormServices
{
    Dialogs& dialogs;
    Desktop& desktop;
    HelpEngine& help;
    ComApartment& com;
    Clock& clock;
    Application& application;
    ISettingsStore& settings;
    DocumentRenderer& officeRenderer; // word-processor documents, workbooks, what the shell prints
    DocumentRenderer& webRenderer;
    PrintHandlerTable::Imports officeImports; // the types the office renderer reads
    PdfToolkit& toolkit;
    PdfChecker& checker;
    std::function<PdfDriver()> createPdfDriver;
    RunObserver* observer = nullptr;    // follows every run, when someone wants to know
    StopSignals* stopSignals = nullptr; // the system asks the program to end
    TaskScheduler* scheduler = nullptr; // the system's scheduler; none: scheduling is refused
    SystemAccount* account = nullptr;
    ScanDevices* scanners = nullptr; // none: no scanner can be opened
    // Checks JPEG and PNG files before they are printed; the real one holds no state, so it is
    // the one every window gets unless a test hands another.
    const PictureCheck& pictureCheck = kFilePictureCheck;
    // Writes the merged file of "Create one PDF file" under its name, protected as single PDFs
    // are; the real one holds no state either.
    const PdfPublisher& publisher = kQpdfPublisher;
    // Names the encoding of a text document that does not say its own.
    const EncodingDetector& encodings = kUchardetDetector;
    // Opens a bulk conversion's log, and locks its starting folder against a second run.
    const LogFileOpener& logFiles = kOwnFileOpener;
    const RunLocks& runLocks = kFolderRunLocks;
};
