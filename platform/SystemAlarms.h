#pragma once

#include "platform/MonotonicClock.h"

// The alarms of the monotonic clock, ringing on the event loop.
// The system's own, set to the moment itself (Linux: a timerfd; Windows: a high-resolution
// waitable timer); nothing when the system gives none.
std::unique_ptr<Alarm> makeSystemAlarm(const MonotonicClock& clock, const Clock::Ring& ring);
// Qt's precise timer, which every system has.
std::unique_ptr<Alarm> makeQtTimerAlarm(const MonotonicClock& clock, Clock::Ring ring);
