#include "core/VirtualTimerFacility.h"

void VirtualTimerFacility::setTickHandler(TickHandler handler)
{
    m_schedule.setTickHandler(std::move(handler));
}

void VirtualTimerFacility::restart(int timer, qint32 intervalMs)
{
    m_schedule.restart(timer, intervalMs, m_now);
}

void VirtualTimerFacility::stop(int timer)
{
    m_schedule.stop(timer);
}

void VirtualTimerFacility::advanceTo(qint64 ms)
{
    while (const std::optional<qint64> due = m_schedule.nextDue()) {
        if (*due > ms)
            break;
        m_now = *due;
        m_schedule.deliverDue(m_now, [this] { return m_now; });
    }
    if (ms > m_now)
        m_now = ms;
}
