#pragma once

#include "platform/MonotonicClock.h"

// The alarms of the monotonic clock, ringing on the event loop.
// A timerfd set to the absolute moment; nothing when the system gives none.
std::unique_ptr<Alarm> makeTimerFdAlarm(const MonotonicClock& clock, const Clock::Ring& ring);
// Qt's precise timer, which every system has.
std::unique_ptr<Alarm> makeQtTimerAlarm(const MonotonicClock& clock, Clock::Ring ring);
