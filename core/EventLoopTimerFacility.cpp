#include "core/EventLoopTimerFacility.h"

EventLoopTimerFacility::EventLoopTimerFacility(QObject* parent) : QObject(parent)
{
    connect(&m_alarm, &PreciseAlarm::rang, this, &EventLoopTimerFacility::wake);
}

void EventLoopTimerFacility::setTickHandler(TickHandler handler)
{
    m_schedule.setTickHandler(std::move(handler));
}

qint64 EventLoopTimerFacility::nowMs() const
{
    return m_alarm.nowNs() / 1000000;
}

void EventLoopTimerFacility::restart(int timer, qint32 intervalMs)
{
    m_schedule.restart(timer, intervalMs, nowMs());
    arm();
}

void EventLoopTimerFacility::stop(int timer)
{
    m_schedule.stop(timer);
    arm();
}

// A handler may open a modal message box, whose event loop goes on delivering ticks: the
// alarm stays set for the next due time throughout.
void EventLoopTimerFacility::wake()
{
    m_schedule.deliverDue(nowMs(), [this] { return nowMs(); });
    arm();
}

void EventLoopTimerFacility::arm()
{
    if (const std::optional<qint64> due = m_schedule.nextDue())
        m_alarm.set(*due * 1000000);
    else
        m_alarm.cancel();
}
