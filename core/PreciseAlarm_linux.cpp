#include "core/PreciseAlarm.h"

#include <QSocketNotifier>

#include <sys/timerfd.h>
#include <unistd.h>

namespace
{
// A timerfd on CLOCK_MONOTONIC (the steady clock's own) set to the absolute moment: the event
// loop wakes within microseconds of it, with one wake-up per ring.
class TimerFdAlarm : public Alarm
{
public:
    TimerFdAlarm(int fd, qint64 originNs, Clock::Ring ring)
        : m_fd(fd), m_originNs(originNs), m_ring(std::move(ring)),
          m_notifier(fd, QSocketNotifier::Read)
    {
        QObject::connect(&m_notifier, &QSocketNotifier::activated, &m_notifier, [this] {
            quint64 expirations = 0;
            if (::read(m_fd, &expirations, sizeof expirations) == sizeof expirations)
                m_ring();
        });
    }
    ~TimerFdAlarm() override { ::close(m_fd); }

    void set(qint64 atNs) override
    {
        const qint64 absolute = m_originNs + atNs;
        itimerspec setting{};
        // An expiry of zero would disarm the timer: a moment already past rings at once.
        setting.it_value.tv_sec = absolute > 0 ? absolute / 1'000'000'000 : 0;
        setting.it_value.tv_nsec = absolute > 0 ? absolute % 1'000'000'000 : 1;
        ::timerfd_settime(m_fd, TFD_TIMER_ABSTIME, &setting, nullptr);
    }
    void cancel() override
    {
        const itimerspec off{};
        ::timerfd_settime(m_fd, 0, &off, nullptr);
    }

private:
    int m_fd;
    qint64 m_originNs;
    Clock::Ring m_ring;
    QSocketNotifier m_notifier;
};
} // namespace

std::unique_ptr<Alarm> makePreciseAlarm(const PreciseClock& clock, Clock::Ring ring)
{
    const int fd = ::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (fd < 0) // no timerfd to be had (a restricted sandbox): Qt's timer will do
        return makeQtTimerAlarm(clock, std::move(ring));
    return std::make_unique<TimerFdAlarm>(fd, clock.originNs(), std::move(ring));
}
