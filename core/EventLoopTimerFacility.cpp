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

// A handler may open a modal message box, whose event loop goes on delivering ticks: the
// wake-up stays armed for the next due time throughout.
void EventLoopTimerFacility::wake()
{
    m_schedule.deliverDue(nowMs(), [this] { return nowMs(); });
    arm();
}

void EventLoopTimerFacility::arm()
{
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
