#pragma once

// A worker program (the office's, the web engine's) leads its process group, and the programs
// it starts are members, so ending the group ends them all.
#include <csignal>
#include <initializer_list>
#include <sys/prctl.h>
#include <unistd.h>

namespace worker_life {
// Async-signal-safe.
inline void endGroup(int)
{
    ::kill(0, SIGKILL);
}
} // namespace worker_life

// Neither the worker's children may outlive it, nor the worker its parent: the parent's end (a
// crash, a SIGKILL) reaches the worker as SIGTERM, which takes the whole group down. A parent
// that only closes the worker's input gets the polite end instead. `parent` is the parent's
// process number as the worker first saw it.
inline void TieGroupToParent(pid_t parent)
{
    if (::getpgrp() != ::getpid())
        ::setpgid(0, 0); // started by hand: a group of our own, never the caller's
    struct sigaction ending = {};
    ending.sa_handler = worker_life::endGroup;
    sigemptyset(&ending.sa_mask);
    for (const int signal : {SIGTERM, SIGHUP, SIGINT})
        ::sigaction(signal, &ending, nullptr);
    // A parent that went away must not kill us on a write before we could end our children.
    ::signal(SIGPIPE, SIG_IGN);
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() != parent)
        worker_life::endGroup(SIGTERM); // it ended before the line above could take effect
}
