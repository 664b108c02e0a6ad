#include "core/TimerSchedule.h"

#include <stdexcept>

int TimerSchedule::slot(int timer)
{
    if (timer < 1 || timer > timerCount)
        throw std::out_of_range("no such timer");
    return timer - 1;
}

namespace
{
// Later than this, a tick is taken for a stall rather than for latency.
constexpr qint64 lateToleranceMs = 100;
} // namespace

qint64 TimerSchedule::restartAnchor(qint64 dueMs, qint32 intervalMs, qint64 nowMs)
{
    const qint64 lateness = nowMs - dueMs;
    return lateness < intervalMs || lateness <= lateToleranceMs ? dueMs : nowMs;
}

void TimerSchedule::restart(int timer, qint32 intervalMs, qint64 nowMs)
{
    Entry& entry = m_entries[slot(timer)];
    const qint64 from = m_dispatchDue ? restartAnchor(*m_dispatchDue, intervalMs, nowMs) : nowMs;
    entry = {true, intervalMs, from + intervalMs};
}

void TimerSchedule::stop(int timer)
{
    m_entries[slot(timer)].running = false;
}

std::optional<qint64> TimerSchedule::nextDue() const
{
    std::optional<qint64> earliest;
    for (const Entry& entry : m_entries)
        if (entry.running && (!earliest || entry.due < *earliest))
            earliest = entry.due;
    return earliest;
}

std::optional<int> TimerSchedule::earliestDueBy(qint64 nowMs) const
{
    std::optional<int> found;
    for (int i = 0; i < timerCount; ++i) {
        const Entry& entry = m_entries[i];
        if (entry.running && entry.due <= nowMs && (!found || entry.due < m_entries[*found].due))
            found = i;
    }
    return found;
}

void TimerSchedule::deliverDue(qint64 nowMs, const std::function<qint64()>& clock)
{
    while (const std::optional<int> found = earliestDueBy(nowMs)) {
        Entry& entry = m_entries[*found];
        const qint64 due = entry.due;
        // The periodic next tick; the handler's own restart or stop overrides it.
        const qint64 handledAt = clock();
        entry.due =
            due + entry.interval > handledAt ? due + entry.interval : handledAt + entry.interval;
        // Restored afterwards: a handler's nested event loop may deliver ticks of its own.
        struct Restore {
            std::optional<qint64>& due;
            std::optional<qint64> previous;
            ~Restore() { due = previous; }
        } restore{m_dispatchDue, m_dispatchDue};
        m_dispatchDue = due;
        if (m_handler)
            m_handler(*found + 1);
    }
}
