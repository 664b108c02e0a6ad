#pragma once

#include "core/Clock.h"

#include <QtGlobal>

#include <optional>
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

    std::chrono::nanoseconds now() const override { return m_now; }
    std::unique_ptr<Alarm> makeAlarm(Ring ring) override;

    void advanceTo(std::chrono::nanoseconds moment);
    // The moment the next alarm rings, if one is set.
    std::optional<std::chrono::nanoseconds> nextRing() const;
    void advanceBy(std::chrono::nanoseconds span) { advanceTo(m_now + span); }
    // Time passes while the program sees none of it (the process was stopped, the machine
    // stalled): what fell due meanwhile rings late, all at the next advance.
    void stall(std::chrono::nanoseconds span) { m_now += span; }

private:
    class VirtualAlarm;
    friend class VirtualAlarm;

    VirtualAlarm* earliestDueBy(std::chrono::nanoseconds moment) const;

    std::chrono::nanoseconds m_now{0};
    quint64 m_settings = 0; // counts every setting, to order alarms due together
    std::vector<VirtualAlarm*> m_alarms;
};
