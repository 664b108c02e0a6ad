#include "core/TimerFacility.h"

#include "core/Clock.h"

TimerFacility::TimerFacility(Clock& clock)
    : m_clock(clock), m_alarm(clock.makeAlarm([this] { wake(); }))
{
}

TimerFacility::~TimerFacility() = default;

void TimerFacility::setTickHandler(TickHandler handler)
{
    m_schedule.setTickHandler(std::move(handler));
}

TimerFacility::Ms TimerFacility::now() const
{
    return m_clock.nowMs();
}

void TimerFacility::restart(int timer, Ms interval)
{
    m_schedule.restart(timer, interval, now());
    arm();
}

void TimerFacility::stop(int timer)
{
    m_schedule.stop(timer);
    arm();
}

void TimerFacility::at(Ms due, TimerSchedule::Step step)
{
    m_schedule.at(due, std::move(step));
    arm();
}

void TimerFacility::cancelSteps()
{
    m_schedule.cancelSteps();
    arm();
}

// A handler may open a modal message box, whose event loop goes on delivering ticks: the
// alarm stays set for the next due time throughout.
void TimerFacility::wake()
{
    m_schedule.deliverDue(now(), [this] { return now(); });
    arm();
}

void TimerFacility::arm()
{
    if (const std::optional<Ms> due = m_schedule.nextDue())
        m_alarm->set(*due);
    else
        m_alarm->cancel();
}
