#pragma once

#include "platform/process/ChildProcess.h"

#include <QString>
#include <com/sun/star/frame/XDesktop2.hpp>
#include <memory>
#include <stdexcept>

class ProcessLauncher;

// The office could not be started or reached.
class OfficeUnavailable : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The office process this worker starts, with its private profile, and the UNO connection to it
// over a private pipe. Started at the first document and kept for the following ones; started
// again when it has gone.
class OfficeConnection
{
public:
    OfficeConnection(ProcessLauncher& processes, QString officeProgram, QString profileFolder);
    ~OfficeConnection();

    // The office's desktop, starting the office first when needed. Throws OfficeUnavailable.
    css::uno::Reference<css::frame::XDesktop2> desktop();
    // Forgets a connection that failed, killing the office if it is still there.
    void drop();
    // Asks the office to end, and kills it if it does not.
    void shutdown();
    // Starts the office from now on through `launcher` (this worker), confined to its profile
    // folder: see OfficeConfinement.h.
    void confineWith(const QString& launcher) { m_launcher = launcher; }

    int starts() const { return m_starts; }
    // The office's process, -1 while none runs.
    qint64 processId() const;

private:
    bool answers();
    void start();

    ProcessLauncher& m_processes;
    QString m_program;
    QString m_profile;
    QString m_launcher;
    QString m_pipe; // the name the office listens on, while it runs
    std::unique_ptr<ChildProcess> m_office;
    css::uno::Reference<css::frame::XDesktop2> m_desktop;
    int m_starts = 0;
};
