#include "core/VirtualClock.h"

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
    void set(qint64 atNs) override
    {
        m_due = atNs;
        m_order = ++m_clock->m_settings;
    }
    void cancel() override { m_due.reset(); }

    std::optional<qint64> m_due;
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

VirtualClock::VirtualAlarm* VirtualClock::earliestDueBy(qint64 momentNs) const
{
    VirtualAlarm* earliest = nullptr;
    for (VirtualAlarm* alarm : m_alarms) {
        if (!alarm->m_due || *alarm->m_due > momentNs)
            continue;
        if (!earliest || *alarm->m_due < *earliest->m_due ||
            (*alarm->m_due == *earliest->m_due && alarm->m_order < earliest->m_order))
            earliest = alarm;
    }
    return earliest;
}

void VirtualClock::advanceTo(std::chrono::nanoseconds moment)
{
    const qint64 targetNs = std::max<qint64>(moment.count(), m_nowNs);
    while (VirtualAlarm* alarm = earliestDueBy(targetNs)) {
        m_nowNs = std::max(m_nowNs, *alarm->m_due);
        alarm->m_due.reset();
        const Ring ring = alarm->m_ring; // the ring may destroy the alarm itself
        ring();
    }
    m_nowNs = targetNs;
}
