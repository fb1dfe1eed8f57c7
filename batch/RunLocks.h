#pragma once

#include <QString>
#include <memory>

// Held while one bulk conversion of a starting folder runs; dropping it lets the next one run.
class RunLock
{
public:
    virtual ~RunLock() = default;
};

// One bulk conversion per starting folder runs at a time, whichever instance of the program runs
// it, for whichever user.
class RunLocks
{
public:
    virtual ~RunLocks() = default;

    // The lock of `startFolder`'s bulk conversion, or none when another run holds it.
    virtual std::unique_ptr<RunLock> lockRunOf(const QString& startFolder) const = 0;
};
