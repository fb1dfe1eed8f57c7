#pragma once

#include <array>
#include <signal.h>

// Many SANE backends read from the scanner on a thread of their own and set SIGTERM back to its
// default when that thread starts, for the whole process: a program that ends cleanly on SIGTERM
// (its page files removed, a run's log completed) would then just die. This keeps the handlers
// found when it was made and puts them back after each call that may have started such a thread.
class KeptSignalHandlers
{
public:
    KeptSignalHandlers();
    void restore() const;

private:
    static constexpr std::array<int, 3> kSignals = {SIGINT, SIGTERM, SIGHUP};
    std::array<struct sigaction, kSignals.size()> m_actions{};
};
