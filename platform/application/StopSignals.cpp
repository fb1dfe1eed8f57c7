#include "platform/application/StopSignals.h"

#include <QSocketNotifier>
#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

const int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
int g_pipe[2] = {-1, -1};
std::atomic<int> g_received = 0; // lock-free, so safe in a signal handler

// Only async-signal-safe calls: the window's thread does the rest.
void onSignal(int signal)
{
    if (g_received.fetch_add(1) > 0) {
        std::signal(signal, SIG_DFL);
        ::raise(signal);
        return;
    }
    const char byte = char(signal);
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
}

} // namespace

StopSignals::StopSignals(QObject* parent) : QObject(parent)
{
    if (g_pipe[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_pipe) != 0)
        return;
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        char byte = 0;
        [[maybe_unused]] const ssize_t got = ::read(g_pipe[0], &byte, 1);
        emit stopRequested();
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : kSignals)
        ::sigaction(signal, &action, nullptr);
}

StopSignals::~StopSignals()
{
    for (const int signal : kSignals)
        std::signal(signal, SIG_DFL);
}
