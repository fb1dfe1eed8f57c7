#pragma once

#include <QDateTime>
#include <chrono>
#include <functional>

// Every pause of a conversion goes through here. A pause waits at most `limit`, and only while
// `outstanding` answers true: the printer and the renderers report when they are done, so with
// nothing outstanding a pause ends at once. Window messages are let through while it waits.
class Clock
{
public:
    using Outstanding = std::function<bool()>;

    virtual ~Clock() = default;

    virtual QDateTime now() const = 0;
    virtual void pause(std::chrono::milliseconds limit, const Outstanding& outstanding = {}) = 0;
};

class SystemClock final : public Clock
{
public:
    QDateTime now() const override;
    void pause(std::chrono::milliseconds limit, const Outstanding& outstanding = {}) override;
};
