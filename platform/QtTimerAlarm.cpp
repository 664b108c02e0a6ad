#include "platform/SystemAlarms.h"

#include <QTimer>

namespace
{
// Qt's timers count whole milliseconds: the alarm is set for the first whole millisecond at or
// after its moment, so it never rings early.
class QtTimerAlarm : public Alarm
{
public:
    QtTimerAlarm(const MonotonicClock& clock, Clock::Ring ring) : m_clock(clock)
    {
        m_timer.setSingleShot(true);
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, std::move(ring));
    }
    void set(std::chrono::nanoseconds moment) override
    {
        using namespace std::chrono;
        const nanoseconds remaining = moment - m_clock.now();
        m_timer.start(remaining <= 0ns ? 0ms : ceil<milliseconds>(remaining));
    }
    void cancel() override { m_timer.stop(); }

private:
    const MonotonicClock& m_clock;
    QTimer m_timer;
};
} // namespace

std::unique_ptr<Alarm> makeQtTimerAlarm(const MonotonicClock& clock, Clock::Ring ring)
{
    return std::make_unique<QtTimerAlarm>(clock, std::move(ring));
}
