#pragma once

#include "core/Clock.h"

#include <chrono>

// The system's monotonic clock, starting at 0 when it is made. Its alarms wake the event loop
// at their moment: on Linux a timerfd set to the moment itself (within microseconds of it),
// elsewhere Qt's precise timer (within the millisecond after it: Qt counts whole milliseconds).
class PreciseClock : public Clock
{
public:
    PreciseClock();

    qint64 nowNs() const override;
    std::unique_ptr<Alarm> makeAlarm(Ring ring) override;

    // The clock's 0 on the system's monotonic clock (CLOCK_MONOTONIC on Linux).
    qint64 originNs() const;

private:
    std::chrono::steady_clock::time_point m_origin;
};
