#include "core/PreciseClock.h"

#include "core/PreciseAlarm.h"

PreciseClock::PreciseClock() : m_origin(std::chrono::steady_clock::now()) {}

qint64 PreciseClock::nowNs() const
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() -
                                                                m_origin)
        .count();
}

qint64 PreciseClock::originNs() const
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(m_origin.time_since_epoch())
        .count();
}

std::unique_ptr<Alarm> PreciseClock::makeAlarm(Ring ring)
{
    return makePreciseAlarm(*this, std::move(ring));
}
