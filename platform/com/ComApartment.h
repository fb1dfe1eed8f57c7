#pragma once

#include <QString>

// Initialising and ending the component model for the main thread. Linux has no COM: the real
// apartment always succeeds; the failure path stays reachable for a fake.
class ComApartment
{
public:
    virtual ~ComApartment() = default;

    // A negative result is a failure.
    virtual long initialize() = 0;
    virtual void uninitialize() = 0;
    // The system's texts for a result code and for the thread's last error.
    virtual QString resultText(long result) const = 0;
    virtual QString lastErrorText() const = 0;
};

class NativeComApartment final : public ComApartment
{
public:
    long initialize() override { return 0; }
    void uninitialize() override {}
    QString resultText(long result) const override;
    QString lastErrorText() const override;
};
