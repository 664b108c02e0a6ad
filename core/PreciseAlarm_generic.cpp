#include "core/PreciseAlarm.h"

std::unique_ptr<Alarm> makePreciseAlarm(const PreciseClock& clock, Clock::Ring ring)
{
    return makeQtTimerAlarm(clock, std::move(ring));
}
