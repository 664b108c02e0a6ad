#pragma once

#include "core/Alarm.h"

#include <functional>
#include <memory>

// The program's one source of time: a monotonic clock in nanoseconds from 0, and alarms on it.
// The program runs on the precise system clock; tests on a virtual clock that moves only when
// told, so that every time they check is exact.
class Clock
{
public:
    using Ring = std::function<void()>;

    virtual ~Clock() = default;

    virtual qint64 nowNs() const = 0;
    qint64 nowMs() const { return nowNs() / 1'000'000; }
    // An alarm that calls `ring` each time it rings. It must not outlive the clock.
    virtual std::unique_ptr<Alarm> makeAlarm(Ring ring) = 0;
};
