#pragma once

#include "core/Clock.h"

// The system's monotonic clock (CLOCK_MONOTONIC), starting at 0 when it is made. Its alarms wake
// the event loop at their moment: a timerfd set to the moment itself (within microseconds of
// it), or where the system gives none, Qt's precise timer (within the millisecond after it: Qt
// counts whole milliseconds).
class MonotonicClock : public Clock
{
public:
    MonotonicClock();

    std::chrono::nanoseconds now() const override;
    std::unique_ptr<Alarm> makeAlarm(Ring ring) override;

    // The clock's 0 on the system's monotonic clock.
    std::chrono::nanoseconds origin() const { return m_origin.time_since_epoch(); }

private:
    std::chrono::steady_clock::time_point m_origin;
};
