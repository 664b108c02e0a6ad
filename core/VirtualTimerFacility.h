#pragma once

#include "core/TimerFacility.h"
#include "core/TimerSchedule.h"

// A clock that moves only when told to: advancing it delivers every tick due on the way, in
// time order (ties in the order of the timers' numbers), each at its exact due time. Twenty
// seconds of a run take microseconds.
class VirtualTimerFacility : public TimerFacility
{
public:
    void setTickHandler(TickHandler handler) override;
    void restart(int timer, qint32 intervalMs) override;
    void stop(int timer) override;
    qint64 nowMs() const override { return m_now; }

    void advanceTo(qint64 ms);
    void advanceBy(qint64 ms) { advanceTo(m_now + ms); }

private:
    TimerSchedule m_schedule;
    qint64 m_now = 0;
};
