#pragma once

#include "common/Clock.h"

#include <QList>
#include <functional>

// A clock that stands still at a fixed moment and records every pause instead of waiting.
class FakeClock final : public Clock
{
public:
    explicit FakeClock(QDateTime now = QDateTime(QDate(2026, 7, 12), QTime(14, 5, 0)))
        : moment(std::move(now))
    {
    }

    QDateTime now() const override { return moment; }
    void pause(std::chrono::milliseconds limit, const Outstanding& = {}) override
    {
        pauses.append(static_cast<int>(limit.count()));
        if (onPause)
            onPause();
    }

    QDateTime moment;
    QList<int> pauses;
    // Stands for whatever the user does while a real pause lets events through.
    std::function<void()> onPause;
};
