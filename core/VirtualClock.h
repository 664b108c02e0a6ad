#pragma once

#include "core/Clock.h"

#include <chrono>
#include <vector>

// A clock that moves only when told to. Advancing it rings every alarm due on the way, in time
// order (alarms due at the same moment in the order they were set), each with the clock
// standing at its moment; an alarm set for a moment already past rings at the next advance.
// Ten minutes of a run take milliseconds.
class VirtualClock : public Clock
{
public:
    VirtualClock() = default;
    ~VirtualClock() override;
    VirtualClock(const VirtualClock&) = delete;
    VirtualClock& operator=(const VirtualClock&) = delete;

    qint64 nowNs() const override { return m_nowNs; }
    std::unique_ptr<Alarm> makeAlarm(Ring ring) override;

    void advanceTo(std::chrono::nanoseconds moment);
    void advanceBy(std::chrono::nanoseconds span)
    {
        advanceTo(std::chrono::nanoseconds(m_nowNs) + span);
    }
    // Time passes while the program sees none of it (the process was stopped, the machine
    // stalled): what fell due meanwhile rings late, all at the next advance.
    void stall(std::chrono::nanoseconds span) { m_nowNs += span.count(); }

private:
    class VirtualAlarm;
    friend class VirtualAlarm;

    VirtualAlarm* earliestDueBy(qint64 momentNs) const;

    qint64 m_nowNs = 0;
    quint64 m_settings = 0; // counts every setting, to order alarms due together
    std::vector<VirtualAlarm*> m_alarms;
};
