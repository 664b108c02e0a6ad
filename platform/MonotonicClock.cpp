#include "platform/MonotonicClock.h"

#include "platform/SystemAlarms.h"

MonotonicClock::MonotonicClock() : m_origin(std::chrono::steady_clock::now()) {}

std::chrono::nanoseconds MonotonicClock::now() const
{
    return std::chrono::steady_clock::now() - m_origin;
}

std::unique_ptr<Alarm> MonotonicClock::makeAlarm(Ring ring)
{
    if (std::unique_ptr<Alarm> alarm = makeTimerFdAlarm(*this, ring))
        return alarm;
    // No timerfd to be had (a restricted sandbox): Qt's timer will do.
    return makeQtTimerAlarm(*this, std::move(ring));
}
