#pragma once

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>

// What becomes of one of a child's output streams.
enum class ProcessChannel
{
    Capture, // read by us: the result, or the lines of a long-lived child
    Forward, // straight to our own stream (a child's log)
    Discard, // to the null device, so a chatty child never blocks on a full pipe
};

// One program to start. It is never run through a shell: arguments reach it unchanged.
struct ProcessCommand
{
    QString program;
    QStringList arguments;
    QString workingDirectory; // empty: ours
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // Written to the child's standard input; the way a secret reaches a child, never argv.
    QByteArray standardInput;
    ProcessChannel output = ProcessChannel::Capture;
    ProcessChannel errors = ProcessChannel::Capture;
    // For a run to completion: after this the child and its process group are killed.
    std::chrono::milliseconds timeLimit = std::chrono::minutes(2);
    // The child leads a process group of its own, so a kill also takes the programs it started.
    // A child that must die with its parent's group (a helper of a worker) sets this false.
    bool ownProcessGroup = true;
    // Called at least every 50 ms while we wait for the child (its input taken, a line, its
    // end), so a window stays alive and can stop the work. Answering false ends the wait at
    // once: the child and its process group are killed and the result says it was cancelled.
    std::function<bool()> whileWaiting;
};

// How a child ended.
struct ProcessResult
{
    bool started = false;
    int exitCode = -1; // meaningful when it neither crashed nor timed out
    int signal = 0;    // the signal that ended it, when one did
    bool crashed = false;
    bool timedOut = false;  // we killed it at its time limit
    bool cancelled = false; // we killed it because whileWaiting answered false
    QByteArray standardOutput;
    QByteArray standardError;
    QString error; // why it did not start

    bool succeeded() const
    {
        return started && !crashed && !timedOut && !cancelled && exitCode == 0;
    }
};
