#pragma once

// The program, with its main window, started against fakes of the system's services (a
// recording PDF printer, scripted dialogs, a fake clock) and the real settings store, scheduler,
// toolkit and, when asked, SANE's test scanner.
#include "app/MainForm.h"
#include "app/Program.h"
#include "common/Desktop.h"
#include "common/PathHelpers.h"
#include "conversion/DocumentRenderer.h"
#include "helpviewer/HelpEngine.h"
#include "platform/com/ComApartment.h"
#include "platform/pdftk/PdftkToolkit.h"
#include "platform/process/QtProcessLauncher.h"
#include "platform/scheduler/AtScheduler.h"
#include "platform/scheduler/PosixAccount.h"
#include "platform/settings/FileSettingsStore.h"
#include "tests/support/FakeApplication.h"
#include "tests/support/FakeClock.h"
#include "tests/support/FakePdfPrinter.h"
#include "tests/support/ScriptedDialogs.h"

#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <memory>

class RecordingHelp final : public HelpEngine
{
public:
    bool available() const override { return true; }
    void hook(const QString& file) override { calls.append("hook " + file); }
    void unhook() override { calls.append("unhook"); }
    void showTopic(const QString& topic) override { calls.append("show " + topic); }
    void closeAll() override { calls.append("closeAll"); }
    QStringList calls;
};

class FakeCom final : public ComApartment
{
public:
    long initialize() override { return result; }
    void uninitialize() override { ++ended; }
    QString resultText(long) const override { return "Catastrophic failure"; }
    QString lastErrorText() const override { return "Access is denied."; }
    long result = 0;
    int ended = 0;
};

class NoDesktop final : public Desktop
{
public:
    bool openFile(const QString& path) override
    {
        opened.append(path);
        return true;
    }
    bool openUrl(const QString& address) override
    {
        opened.append(address);
        return true;
    }
    QStringList opened;
};

enum class Driver
{
    Works,
    CannotCreate,
    CannotInitialize
};

// The settings file a start finds; empty: none (a first start).
inline QByteArray g_storedSettings;

struct Start
{
    // `beforeStart` sees the program built and not yet started (an unattended start's run
    // happens within start()).
    explicit Start(QStringList args = {}, Driver driver = Driver::Works, long com = 0,
                   ScanDevices* scanners = nullptr,
                   const std::function<void(Start&)>& beforeStart = {})
        : application(std::move(args))
    {
        if (!g_storedSettings.isEmpty()) {
            QFile file(settings.fileName());
            file.open(QIODevice::WriteOnly);
            file.write(g_storedSettings);
        }
        this->com.result = com;
        printer->initializeResult =
            driver == Driver::CannotInitialize ? kPrinterFailed : kPrinterOk;
        program = std::make_unique<Program>(MainFormServices{
            dialogs, desktop, help, this->com, clock, application, settings, renderer, renderer,
            [](const QString&, const QMimeType&) { return false; }, toolkit, checker,
            [this, driver] {
                return driver == Driver::CannotCreate ? PdfDriver{} : PdfDriver{printer, printer};
            },
            nullptr, nullptr, &scheduler, &account, scanners});
        window = &program->window();
        if (beforeStart)
            beforeStart(*this);
        program->start();
    }

    ScriptedDialogs dialogs;
    NoDesktop desktop;
    RecordingHelp help;
    FakeCom com;
    FakeClock clock;
    FakeApplication application;
    MissingRenderer renderer;
    QTemporaryDir config;
    FileSettingsStore settings{config.filePath("settings.ini")};
    QtProcessLauncher launcher;
    PdftkToolkit toolkit{launcher};
    QpdfChecker checker;
    AtScheduler scheduler{launcher, 'v'}; // a queue of the tests' own
    PosixAccount account;
    std::shared_ptr<FakePdfPrinter> printer = std::make_shared<FakePdfPrinter>();
    std::unique_ptr<Program> program;
    TfrmMain* window = nullptr; // the program's
};
