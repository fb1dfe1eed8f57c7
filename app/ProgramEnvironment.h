#pragma once

#include "app/CommandLine.h"
#include "app/MainFormServices.h"
#include "app/StderrProgress.h"
#include "common/Application.h"
#include "common/Clock.h"
#include "common/Desktop.h"
#include "conversion/DocumentRenderer.h"
#include "helpviewer/ChmHelpEngine.h"
#include "office/OfficeRenderer.h"
#include "platform/application/StopSignals.h"
#include "platform/com/ComApartment.h"
#include "platform/pdftk/PdftkToolkit.h"
#include "platform/process/QtProcessLauncher.h"
#include "platform/sane/SaneDevices.h"
#include "platform/scheduler/AtScheduler.h"
#include "platform/scheduler/PosixAccount.h"
#include "platform/settings/FileSettingsStore.h"
#include "web/WebPageRenderer.h"

#include <QStringList>
#include <memory>

class Dialogs;
class Program;
class QtDialogs;
class TfrmMain;

// Selects Qt's offscreen platform when there is no display, or when the display named cannot
// be reached. Call before the QApplication exists.
void ChooseDisplayPlatform();
// True when the program runs without a display (an unattended start). Call once the
// QApplication exists.
bool RunsUnattended();

// The real platform services of one program run.
class ProgramEnvironment
{
public:
    ProgramEnvironment(bool unattended, QList<QByteArray> arguments);
    ~ProgramEnvironment();

    MainFormServices services();
    void attachWindow(TfrmMain* window);
    Application& application() { return m_application; }
    // The exit status of a run that ends by itself (see kExitConverted and the others).
    int exitStatus(const Program& program) const;
    // Tells on standard error why an unattended start did not end by itself.
    void reportUnfinished(const Program& program) const;

private:
    bool m_unattended;
    QtApplication m_application;
    SystemClock m_clock;
    NativeComApartment m_com;
    QtDesktop m_desktop;
    FileSettingsStore m_settings;
    QtProcessLauncher m_launcher;
    OfficeRenderer m_office;
    WebPageRenderer m_web{m_launcher};
    PdftkToolkit m_pdftk{m_launcher};
    QpdfChecker m_checker;
    ChmHelpEngine m_help;

    StderrProgress m_progress;
    StopSignals m_stopSignals;
    AtScheduler m_scheduler{m_launcher};
    PosixAccount m_account;
    SaneDevices m_scanners;
    std::unique_ptr<Dialogs> m_dialogs;
    QtDialogs* m_qtDialogs = nullptr;
};
