#pragma once

#include "platform/process/ProcessCommand.h"

#include <QByteArray>
#include <chrono>
#include <optional>

// A long-lived child that takes requests and answers them, one line each way. Destroying it
// kills the child and its process group. A wait its command's whileWaiting cuts short kills
// the child and its group too; cancelled() then tells why the wait ended.
class ChildProcess
{
public:
    virtual ~ChildProcess() = default;

    // Looks whether the child is still there, without waiting.
    virtual bool isRunning() = 0;
    virtual qint64 processId() const = 0;

    // Sends one line; the newline is added. False when the child no longer reads.
    virtual bool writeLine(const QByteArray& line) = 0;
    // The next complete line of the child's standard output, without its newline. Empty when
    // the child ended or `limit` passed first (isRunning() tells which).
    virtual std::optional<QByteArray> readLine(std::chrono::milliseconds limit) = 0;

    // Closes the child's standard input and gives it `grace` to end by itself, then kills its
    // process group.
    virtual ProcessResult finish(std::chrono::milliseconds grace) = 0;
    // Kills the child and its process group at once.
    virtual ProcessResult kill() = 0;

    // True once whileWaiting answered false during a wait; the child has been killed.
    virtual bool cancelled() const = 0;
};
