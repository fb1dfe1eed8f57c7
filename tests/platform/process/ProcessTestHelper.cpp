// A small program the process tests start: it exits, crashes, hangs, echoes or floods on request.
//   exit N          writes "out" and "err", exits with N
//   args A...       writes each argument on a line of its own
//   env NAME        writes the variable's value
//   echo            copies standard input to standard output until its end
//   crash           dies of a signal
//   hang            never ends
//   spawn-hang F    starts a grandchild that never ends, writes its pid to F and "ready",
//                   then hangs
//   port-spawn-hang F  the same, the grandchild started through the process port
//   flood N         writes N bytes to each output stream, exits 0
//   lines           answers each input line: "ping" -> "pong", "crash", "hang", "partial"
//                   (half a line, then hangs), "pid" -> its pid; anything else is echoed
#include "platform/process/QtProcessLauncher.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>
#include <unistd.h>

namespace {

[[noreturn]] void hang()
{
    for (;;)
        ::pause();
}

[[noreturn]] void crash()
{
    std::signal(SIGSEGV, SIG_DFL);
    std::raise(SIGSEGV);
    std::abort();
}

int lines()
{
    std::string line;
    while (std::getline(std::cin, line)) {
        if (line == "ping")
            std::cout << "pong" << std::endl;
        else if (line == "crash")
            crash();
        else if (line == "hang")
            hang();
        else if (line == "partial") {
            std::cout << "half a li" << std::flush;
            hang();
        } else if (line == "pid")
            std::cout << ::getpid() << std::endl;
        else
            std::cout << line << std::endl;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "exit" && argc > 2) {
        std::cout << "out";
        std::cerr << "err";
        return std::atoi(argv[2]);
    }
    if (mode == "args") {
        for (int i = 2; i < argc; ++i)
            std::cout << argv[i] << '\n';
        return 0;
    }
    if (mode == "env" && argc > 2) {
        const char* value = std::getenv(argv[2]);
        std::cout << (value ? value : "");
        return 0;
    }
    if (mode == "echo") {
        std::cout << std::cin.rdbuf();
        return 0;
    }
    if (mode == "crash")
        crash();
    if (mode == "hang")
        hang();
    if (mode == "spawn-hang" && argc > 2) {
        const pid_t grandchild = ::fork();
        if (grandchild == 0)
            hang();
        std::ofstream(argv[2]) << grandchild << std::endl;
        std::cout << "ready" << std::endl;
        hang();
    }
    if (mode == "port-spawn-hang" && argc > 2) {
        QtProcessLauncher launcher;
        ProcessCommand command;
        command.program = QStringLiteral("/proc/self/exe");
        command.arguments = {QStringLiteral("hang")};
        const auto grandchild = launcher.start(command);
        std::ofstream(argv[2]) << grandchild->processId() << std::endl;
        std::cout << "ready" << std::endl;
        hang();
    }
    if (mode == "flood" && argc > 2) {
        const std::string block(std::atoi(argv[2]), 'x');
        std::cout << block << std::flush;
        std::cerr << block << std::flush;
        return 0;
    }
    if (mode == "lines")
        return lines();
    std::cerr << "unknown mode\n";
    return 99;
}
