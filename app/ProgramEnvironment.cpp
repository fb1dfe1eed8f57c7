#include "app/ProgramEnvironment.h"

#include "app/MainForm.h"
#include "app/OfficeWorkers.h"
#include "app/Program.h"
#include "conversion/ConversionRun.h"
#include "pdfprinter/PdfPrinter.h"
#include "platform/dialogs/UnattendedDialogs.h"
#include "ui/QtDialogs.h"

#include <QGuiApplication>
#include <cstdio>

void ChooseDisplayPlatform()
{
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return;
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return;
    }
    // A display named but not there (a scheduled run that kept a DISPLAY of a session that has
    // ended) must not end the program: Qt then takes the next platform of the list.
    qputenv("QT_QPA_PLATFORM", qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
                                   ? "xcb;offscreen"
                                   : "wayland;xcb;offscreen");
}

bool RunsUnattended()
{
    return QGuiApplication::platformName() == QLatin1String("offscreen");
}

namespace {

// Set field by field: a designated initializer that leaves fields to their defaults is warned
// about (and an error under CORVANTA_WERROR).
OfficeSetup officeSetupFor(ISettingsStore& settings)
{
    OfficeSetup setup;
    setup.workers = OfficeWorkerCount(settings);
    return setup;
}

} // namespace

ProgramEnvironment::ProgramEnvironment(bool unattended, QList<QByteArray> arguments)
    : m_unattended(unattended), m_application(std::move(arguments)),
      m_office(m_launcher, officeSetupFor(m_settings))
{
    if (m_unattended) {
        m_dialogs = std::make_unique<UnattendedDialogs>();
    } else {
        auto dialogs = std::make_unique<QtDialogs>();
        m_qtDialogs = dialogs.get();
        m_dialogs = std::move(dialogs);
    }
}

ProgramEnvironment::~ProgramEnvironment() = default;

MainFormServices ProgramEnvironment::services()
{
    auto createPrinter = [] {
        auto printer = std::make_shared<PdfPrinter>();
        return PdfDriver{printer, printer};
    };
    return MainFormServices{*m_dialogs,     m_desktop,
                            m_help,         m_com,
                            m_clock,        m_application,
                            m_settings,     m_office,
                            m_web,          &OfficeRenderer::imports,
                            m_pdftk,        m_checker,
                            createPrinter,  m_unattended ? &m_progress : nullptr,
                            &m_stopSignals, &m_scheduler,
                            &m_account,     &m_scanners};
}

void ProgramEnvironment::attachWindow(TfrmMain* window)
{
    if (m_qtDialogs)
        m_qtDialogs->setOwner(window);
}

int ProgramEnvironment::exitStatus(const Program& program) const
{
    const auto end = program.lastBatchEnd();
    if (!end)
        return m_unattended ? kExitUnfinished : kExitConverted;
    if (*end != BatchEnd::Finished)
        return kExitUnfinished;
    const ConversionRun* run = program.conversionRun();
    return run && run->summary().failed > 0 ? kExitSomeFailed : kExitConverted;
}

void ProgramEnvironment::reportUnfinished(const Program& program) const
{
    QString reason;
    const auto end = program.lastBatchEnd();
    if (m_application.firstArgument().toUpper() != kBatchSwitch) {
        reason = QStringLiteral("no display, and no -BATCH switch: there is no window to work in");
    } else if (!program.PdfOptions().options) {
        reason = QStringLiteral("the PDF printer could not be started");
    } else if (!end) {
        reason = QStringLiteral("the bulk conversion could not start");
    } else {
        switch (*end) {
        case BatchEnd::FoldersTooShort:
            reason =
                QStringLiteral("the starting or ending folder is not set (2 characters or fewer)");
            break;
        case BatchEnd::AlreadyRunning:
            reason = QStringLiteral("another bulk conversion of the starting folder is running");
            break;
        case BatchEnd::Stopped:
            reason = QStringLiteral("the conversion was stopped");
            break;
        case BatchEnd::EmptyFolder:
            reason =
                QStringLiteral("the starting folder holds no file, is missing or cannot be read");
            break;
        case BatchEnd::EndedEarly:
            reason = QStringLiteral("the conversion ended early (see the messages above)");
            break;
        case BatchEnd::NotBatchMode:
        case BatchEnd::Finished:
            reason = QStringLiteral("the switch was not written exactly as -BATCH");
            break;
        }
    }
    std::fprintf(stderr, "corvanta: the unattended run did not finish: %s\n",
                 reason.toUtf8().constData());
}
