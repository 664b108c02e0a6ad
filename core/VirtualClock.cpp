#include "core/VirtualClock.h"

#include <QtGlobal>

#include <algorithm>
#include <optional>

class VirtualClock::VirtualAlarm : public Alarm
{
public:
    VirtualAlarm(VirtualClock& clock, Ring ring) : m_clock(&clock), m_ring(std::move(ring))
    {
        clock.m_alarms.push_back(this);
    }
    ~VirtualAlarm() override
    {
        if (m_clock)
            std::erase(m_clock->m_alarms, this);
    }
    void set(std::chrono::nanoseconds moment) override
    {
        m_due = moment;
        m_order = ++m_clock->m_settings;
    }
    void cancel() override { m_due.reset(); }

    std::optional<std::chrono::nanoseconds> m_due;
    quint64 m_order = 0;
    VirtualClock* m_clock;
    Ring m_ring;
};

VirtualClock::~VirtualClock()
{
    for (VirtualAlarm* alarm : m_alarms)
        alarm->m_clock = nullptr;
}

std::unique_ptr<Alarm> VirtualClock::makeAlarm(Ring ring)
{
    return std::make_unique<VirtualAlarm>(*this, std::move(ring));
}

VirtualClock::VirtualAlarm* VirtualClock::earliestDueBy(std::chrono::nanoseconds moment) const
{
    VirtualAlarm* earliest = nullptr;
    for (VirtualAlarm* alarm : m_alarms) {
        if (!alarm->m_due || *alarm->m_due > moment)
            continue;
        if (!earliest || *alarm->m_due < *earliest->m_due ||
            (*alarm->m_due == *earliest->m_due && alarm->m_order < earliest->m_order))
            earliest = alarm;
    }
    return earliest;
}

std::optional<std::chrono::nanoseconds> VirtualClock::nextRing() const
{
    std::optional<std::chrono::nanoseconds> next;
    for (const VirtualAlarm* alarm : m_alarms)
        if (alarm->m_due && (!next || *alarm->m_due < *next))
            next = std::max(*alarm->m_due, m_now);
    return next;
}

void VirtualClock::advanceTo(std::chrono::nanoseconds moment)
{
    const std::chrono::nanoseconds target = std::max(moment, m_now);
    while (VirtualAlarm* alarm = earliestDueBy(target)) {
        m_now = std::max(m_now, *alarm->m_due);
        alarm->m_due.reset();
        const Ring ring = alarm->m_ring; // the ring may destroy the alarm itself
        ring();
    }
    m_now = target;
}
