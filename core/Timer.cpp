#include "core/Timer.h"

#include "core/SimulatorError.h"
#include "core/TimerFacility.h"

Timer::Timer(ChangeNotifier& notifier, TimerFacility& facility, int number)
    : m_notifier(notifier), m_facility(facility), m_number(number)
{
}

void Timer::setEnabled(bool enabled)
{
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    if (enabled)
        startCountAfresh();
    else
        m_facility.stop(m_number);
    m_notifier.notify({FormMember::Kind::Timer, m_number});
}

void Timer::setInterval(qint32 intervalMs)
{
    if (intervalMs < 0)
        throw SimulatorError(
            ErrorKind::TimerRefused,
            QStringLiteral("%1 cannot run with an interval of %2 ms").arg(name()).arg(intervalMs));
    m_interval = intervalMs;
    if (m_enabled)
        startCountAfresh();
    m_notifier.notify({FormMember::Kind::Timer, m_number});
}

void Timer::startCountAfresh()
{
    if (m_interval > 0)
        m_facility.restart(m_number, std::chrono::milliseconds(m_interval));
    else
        m_facility.stop(m_number);
}
