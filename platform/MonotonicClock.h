#pragma once

#include "core/Clock.h"

// The system's monotonic clock, starting at 0 when it is made. Its alarms wake the event loop at
// their moment, by the system's own means where it has them (Linux: a timerfd set to the moment
// itself, within microseconds of it; Windows: a high-resolution waitable timer), or else by Qt's
// precise timer (within the millisecond after it: Qt counts whole milliseconds).
class MonotonicClock : public Clock
{
public:
    MonotonicClock();

    std::chrono::nanoseconds now() const override;
    std::unique_ptr<Alarm> makeAlarm(Ring ring) override;

    // The clock's 0 on the system's monotonic clock.
    std::chrono::nanoseconds origin() const { return m_origin; }
    // The system's monotonic clock itself (Linux: CLOCK_MONOTONIC; Windows: the performance
    // counter, QueryPerformanceCounter).
    static std::chrono::nanoseconds systemNow();

private:
    std::chrono::nanoseconds m_origin;
};
