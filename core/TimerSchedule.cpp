#include "core/TimerSchedule.h"

#include <algorithm>
#include <stdexcept>

using namespace std::chrono_literals;

int TimerSchedule::slot(int timer)
{
    if (timer < 1 || timer > timerCount)
        throw std::out_of_range("no such timer");
    return timer - 1;
}

namespace
{
// Later than this, a tick is taken for a stall rather than for latency.
constexpr TimerSchedule::Ms lateTolerance = 100ms;
} // namespace

TimerSchedule::Ms TimerSchedule::restartAnchor(Ms due, Ms interval, Ms now)
{
    const Ms lateness = now - due;
    return lateness < interval || lateness <= lateTolerance ? due : now;
}

void TimerSchedule::restart(int timer, Ms interval, Ms now)
{
    Entry& entry = m_entries[slot(timer)];
    const Ms from = m_dispatchDue ? restartAnchor(*m_dispatchDue, interval, now) : now;
    entry = {true, interval, from + interval};
}

void TimerSchedule::stop(int timer)
{
    m_entries[slot(timer)].running = false;
}

void TimerSchedule::at(Ms due, Step step)
{
    const auto later = std::upper_bound(m_steps.begin(), m_steps.end(), due,
                                        [](Ms at, const PendingStep& s) { return at < s.due; });
    m_steps.insert(later, {due, std::move(step)});
}

std::optional<TimerSchedule::Ms> TimerSchedule::nextDue() const
{
    std::optional<Ms> earliest;
    if (!m_steps.empty())
        earliest = m_steps.front().due;
    for (const Entry& entry : m_entries)
        if (entry.running && (!earliest || entry.due < *earliest))
            earliest = entry.due;
    return earliest;
}

std::optional<int> TimerSchedule::earliestDueBy(Ms now) const
{
    std::optional<int> found;
    for (int i = 0; i < timerCount; ++i) {
        const Entry& entry = m_entries[i];
        if (entry.running && entry.due <= now && (!found || entry.due < m_entries[*found].due))
            found = i;
    }
    return found;
}

void TimerSchedule::deliverDue(Ms now, const std::function<Ms()>& clock)
{
    for (;;) {
        const std::optional<int> found = earliestDueBy(now);
        if (!m_steps.empty() && m_steps.front().due <= now &&
            (!found || m_steps.front().due <= m_entries[*found].due)) {
            PendingStep next = std::move(m_steps.front());
            m_steps.pop_front();
            dispatch(next.due, clock(), next.step);
            continue;
        }
        if (!found)
            return;
        Entry& entry = m_entries[*found];
        const Ms due = entry.due;
        // The periodic next tick; the handler's own restart or stop overrides it.
        const Ms handledAt = clock();
        entry.due =
            due + entry.interval > handledAt ? due + entry.interval : handledAt + entry.interval;
        dispatch(due, handledAt, [this, timer = *found + 1] {
            if (m_handler)
                m_handler(timer);
        });
    }
}

void TimerSchedule::dispatch(Ms due, Ms handledAt, const std::function<void()>& handle)
{
    // Restored afterwards: a handler's nested event loop may deliver ticks of its own.
    struct Restore {
        TimerSchedule& schedule;
        std::optional<Ms> due;
        Ms handledAt;
        ~Restore()
        {
            schedule.m_dispatchDue = due;
            schedule.m_dispatchHandledAt = handledAt;
        }
    } restore{*this, m_dispatchDue, m_dispatchHandledAt};
    m_dispatchDue = due;
    m_dispatchHandledAt = handledAt;
    handle();
}

std::optional<TimerSchedule::Ms> TimerSchedule::dispatchHeldUp() const
{
    if (!m_dispatchDue || m_dispatchHandledAt - *m_dispatchDue <= lateTolerance)
        return std::nullopt;
    return m_dispatchHandledAt - *m_dispatchDue;
}
