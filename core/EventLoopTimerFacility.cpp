#include "EventLoopTimerFacility.h"

#include <cmath>

EventLoopTimerFacility::EventLoopTimerFacility(QObject* parent) : QObject(parent)
{
    m_clock.start();
    m_wakeUp.setSingleShot(true);
    m_wakeUp.setTimerType(Qt::PreciseTimer);
    connect(&m_wakeUp, &QTimer::timeout, this, &EventLoopTimerFacility::wake);
}

void EventLoopTimerFacility::setTickHandler(TickHandler handler)
{
    m_schedule.setTickHandler(std::move(handler));
}

qint64 EventLoopTimerFacility::nowMs() const
{
    return m_clock.nsecsElapsed() / 1000000;
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

void EventLoopTimerFacility::wake()
{
    m_delivering = true;
    m_schedule.deliverDue(nowMs(), [this] { return nowMs(); });
    m_delivering = false;
    arm();
}

void EventLoopTimerFacility::arm()
{
    if (m_delivering) // armed once when the delivery is done
        return;
    const std::optional<qint64> due = m_schedule.nextDue();
    if (!due) {
        m_wakeUp.stop();
        return;
    }
    // Wake at the due millisecond or just after it, never before.
    const qint64 remainingNs = *due * 1000000 - m_clock.nsecsElapsed();
    const auto delayMs = remainingNs <= 0 ? 0 : int(std::ceil(double(remainingNs) / 1e6));
    m_wakeUp.start(delayMs);
}
