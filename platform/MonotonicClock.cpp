#include "platform/MonotonicClock.h"

#include "platform/SystemAlarms.h"

MonotonicClock::MonotonicClock() : m_origin(systemNow()) {}

std::chrono::nanoseconds MonotonicClock::now() const
{
    return systemNow() - m_origin;
}

std::unique_ptr<Alarm> MonotonicClock::makeAlarm(Ring ring)
{
    if (std::unique_ptr<Alarm> alarm = makeSystemAlarm(*this, ring))
        return alarm;
    // None of the system's own to be had (a restricted sandbox): Qt's timer will do.
    return makeQtTimerAlarm(*this, std::move(ring));
}
