#include "EventLoopTimerFacility.h"

#include <chrono>
#include <thread>

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
    // The event loop wakes to the millisecond, somewhere within it; the last stretch to the
    // due time is slept here, so that ticks come on their due times, not up to 1 ms after.
    if (const std::optional<qint64> due = m_schedule.nextDue()) {
        const qint64 remainingNs = *due * 1000000 - m_clock.nsecsElapsed();
        if (remainingNs > 0 && remainingNs <= finalStretchNs)
            std::this_thread::sleep_for(std::chrono::nanoseconds(remainingNs));
    }
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
    // Wake up to a millisecond early, never late by the timer's rounding; wake() sleeps
    // the rest.
    const qint64 earlyNs = *due * 1000000 - finalStretchNs - m_clock.nsecsElapsed();
    m_wakeUp.start(earlyNs <= 0 ? 0 : int(earlyNs / 1000000));
}
