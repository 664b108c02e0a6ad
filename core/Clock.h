#pragma once

#include "core/Alarm.h"

#include <chrono>
#include <functional>
#include <memory>

// The program's one source of time: a monotonic clock counting from 0, and alarms on it. The
// program runs on the system's monotonic clock; tests on a virtual clock that moves only when
// told, so that every time they check is exact.
class Clock
{
public:
    using Ring = std::function<void()>;

    virtual ~Clock() = default;

    virtual std::chrono::nanoseconds now() const = 0;
    // Whole milliseconds, as the timers count.
    std::chrono::milliseconds nowMs() const
    {
        return std::chrono::duration_cast<std::chrono::milliseconds>(now());
    }
    // An alarm that calls `ring` each time it rings. It must not outlive the clock.
    virtual std::unique_ptr<Alarm> makeAlarm(Ring ring) = 0;
};
