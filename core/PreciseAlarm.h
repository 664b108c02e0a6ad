#pragma once

#include "core/PreciseClock.h"

// An alarm of the precise clock, ringing on the event loop. Each system has its own, in its own
// file; Qt's precise timer is the portable one.
std::unique_ptr<Alarm> makePreciseAlarm(const PreciseClock& clock, Clock::Ring ring);
std::unique_ptr<Alarm> makeQtTimerAlarm(const PreciseClock& clock, Clock::Ring ring);
