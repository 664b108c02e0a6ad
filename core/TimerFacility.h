#pragma once

#include "core/TimerSchedule.h"

#include <memory>
#include <optional>

class Alarm;
class Clock;

// Delivers the ticks of the six timers, on the clock it is given. The core says when a timer's
// count starts afresh and when it stops; the schedule works out when each tick is due, and one
// alarm is kept set for the earliest. Since the schedule works on due times, neither the time a
// tick takes nor the latency of waking up adds up over a run. Timers are numbered 1..6.
class TimerFacility
{
public:
    using Ms = TimerSchedule::Ms;
    using TickHandler = TimerSchedule::TickHandler;

    explicit TimerFacility(Clock& clock);
    ~TimerFacility();
    TimerFacility(const TimerFacility&) = delete;
    TimerFacility& operator=(const TimerFacility&) = delete;

    void setTickHandler(TickHandler handler);
    // Starts the timer's count afresh: its next tick comes `interval` (> 0) later. A restart
    // made while a tick is being handled counts from that tick's due time, so the time the
    // tick spends does not lengthen the gap; any other restart counts from now.
    void restart(int timer, Ms interval);
    // No more ticks of this timer until it is restarted.
    void stop(int timer);
    // `step` is carried out once, at `due` on the clock, in time order with the ticks (before
    // those due at the same moment); what it restarts counts from `due`.
    void at(Ms due, TimerSchedule::Step step);
    void cancelSteps();

    // Whole milliseconds on the clock.
    Ms now() const;
    // The earliest moment a tick or step is due, if any is.
    std::optional<Ms> nextDue() const { return m_schedule.nextDue(); }
    // The moment the tick (or step) being handled was due, if one is being handled.
    std::optional<Ms> tickDue() const { return m_schedule.dispatchDue(); }
    // How late it was handled, when the program was held up (more than 100 ms late).
    std::optional<Ms> tickHeldUp() const { return m_schedule.dispatchHeldUp(); }

private:
    void wake();
    void arm();

    Clock& m_clock;
    TimerSchedule m_schedule;
    std::unique_ptr<Alarm> m_alarm;
};
