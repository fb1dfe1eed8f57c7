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

    int starts() const { return m_starts; }

private:
    bool answers();
    void start();

    ProcessLauncher& m_processes;
    QString m_program;
    QString m_profile;
    std::unique_ptr<ChildProcess> m_office;
    css::uno::Reference<css::frame::XDesktop2> m_desktop;
    int m_starts = 0;
};
