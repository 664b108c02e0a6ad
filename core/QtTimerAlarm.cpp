#include "core/PreciseAlarm.h"

#include <QTimer>

namespace
{
// Qt's timers count whole milliseconds: the alarm is set for the first whole millisecond at or
// after its moment, so it never rings early.
class QtTimerAlarm : public Alarm
{
public:
    QtTimerAlarm(const PreciseClock& clock, Clock::Ring ring) : m_clock(clock)
    {
        m_timer.setSingleShot(true);
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, std::move(ring));
    }
    void set(qint64 atNs) override
    {
        const qint64 remainingNs = atNs - m_clock.nowNs();
        m_timer.start(remainingNs <= 0 ? 0 : int((remainingNs + 999'999) / 1'000'000));
    }
    void cancel() override { m_timer.stop(); }

private:
    const PreciseClock& m_clock;
    QTimer m_timer;
};
} // namespace

std::unique_ptr<Alarm> makeQtTimerAlarm(const PreciseClock& clock, Clock::Ring ring)
{
    return std::make_unique<QtTimerAlarm>(clock, std::move(ring));
}
