#pragma once

#include "app/MainFormServices.h"
#include "app/StderrProgress.h"
#include "conversion/DocumentRenderer.h"
#include "platform/application/Application.h"
#include "platform/clock/Clock.h"
#include "platform/com/ComApartment.h"
#include "platform/desktop/Desktop.h"
#include "platform/help/HelpEngine.h"
#include "platform/office/OfficeRenderer.h"
#include "platform/pdftk/PdftkToolkit.h"
#include "platform/process/QtProcessLauncher.h"
#include "platform/settings/FileSettingsStore.h"
#include "platform/web/WebPageRenderer.h"

#include <QStringList>
#include <memory>

class Dialogs;
class QtDialogs;
class TfrmMain;

// Selects Qt's offscreen platform when there is no display. Answers true for such an
// unattended start. Call before the QApplication exists.
bool ChooseDisplayPlatform();

// The real platform services of one program run.
class ProgramEnvironment
{
public:
    ProgramEnvironment(bool unattended, QStringList arguments);
    ~ProgramEnvironment();

    MainFormServices services();
    void attachWindow(TfrmMain* window);
    Application& application() { return m_application; }
    // The exit status of a run that ends by itself: 0 unless an unattended start could not
    // finish its work.
    int exitStatus(const TfrmMain& window) const;
    // Tells on standard error why an unattended start did not end by itself.
    void reportUnfinished(const TfrmMain& window) const;

private:
    bool m_unattended;
    QtApplication m_application;
    SystemClock m_clock;
    NativeComApartment m_com;
    QtDesktop m_desktop;
    FileSettingsStore m_settings;
    QtProcessLauncher m_launcher;
    OfficeRenderer m_office{m_launcher};
    WebPageRenderer m_web;
    PdftkToolkit m_pdftk{m_launcher};
    QpdfChecker m_checker;
    NoHelpEngine m_help;

    StderrProgress m_progress;
    std::unique_ptr<Dialogs> m_dialogs;
    QtDialogs* m_qtDialogs = nullptr;
};
