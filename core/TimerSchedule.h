#pragma once

#include <array>
#include <chrono>
#include <deque>
#include <functional>
#include <optional>

// The schedule of the six timers: when each tick is due, by these rules, whatever the clock:
// - a timer restarted while a tick is handled counts from that tick's due time, when the tick
//   is late by less than the new interval or by at most 100 ms (a busy machine's wake-up
//   latency): so a page gap of 10 ms after a tick woken 40 ms late is due at once, and the
//   run keeps to the moments it would have had on time, as two runs of a setup must;
// - a timer that is not restarted by its own tick ticks again one interval after its due time,
//   when the tick is late by less than an interval;
// - otherwise (the program was stopped, the machine stalled) the count starts from the moment
//   the tick is handled, so a stall is never followed by a burst of catch-up ticks;
// - ticks due at the same moment go in the order of the timers' numbers (Timer1 first).
// One-off steps (a scenario's actions, the end of a timed run) are kept in the same schedule:
// a step goes before the ticks due at the same moment (it is the operator acting at that
// instant), steps due together in the order they were added, and what a step restarts counts
// from the step's due time, as if the step had been carried out on the dot.
class TimerSchedule
{
public:
    using Ms = std::chrono::milliseconds;
    static constexpr int timerCount = 6;
    using TickHandler = std::function<void(int timer)>;
    using Step = std::function<void()>;

    void setTickHandler(TickHandler handler) { m_handler = std::move(handler); }
    void restart(int timer, Ms interval, Ms now);
    void stop(int timer);
    void at(Ms due, Step step);
    void cancelSteps() { m_steps.clear(); }

    // The earliest due time of any running timer or step.
    std::optional<Ms> nextDue() const;
    // Handles every tick and step due at or before `now`, in time order, each tick's handler seeing
    // the schedule as the earlier ticks left it. `clock` gives the current time for the lateness
    // rule (the virtual clock passes the due time itself).
    void deliverDue(Ms now, const std::function<Ms()>& clock);
    // The due time of the tick or step being handled, if any.
    std::optional<Ms> dispatchDue() const { return m_dispatchDue; }
    // How late the tick or step being handled was handled, when later than a busy machine's
    // wake-up latency (100 ms): the program was held up meanwhile (stopped, or the machine
    // stalled).
    std::optional<Ms> dispatchHeldUp() const;

private:
    struct Entry {
        bool running = false;
        Ms interval{0};
        Ms due{0};
    };
    std::optional<int> earliestDueBy(Ms now) const;
    // Where the count of a timer restarted at `now`, by a tick due at `due`, starts from.
    static Ms restartAnchor(Ms due, Ms interval, Ms now);
    static int slot(int timer);
    void dispatch(Ms due, Ms handledAt, const std::function<void()>& handle);

    struct PendingStep {
        Ms due;
        Step step;
    };

    std::array<Entry, timerCount> m_entries{};
    std::deque<PendingStep> m_steps; // in the order they are due
    TickHandler m_handler;
    std::optional<Ms> m_dispatchDue; // the due time of the tick being handled
    Ms m_dispatchHandledAt{0};       // and when it was handled
};
