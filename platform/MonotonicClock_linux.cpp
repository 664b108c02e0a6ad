#include "platform/SystemAlarms.h"

#include <QSocketNotifier>

#include <sys/timerfd.h>
#include <unistd.h>

// CLOCK_MONOTONIC, which is the steady clock's own here.
std::chrono::nanoseconds MonotonicClock::systemNow()
{
    return std::chrono::steady_clock::now().time_since_epoch();
}

namespace
{
// A timerfd on CLOCK_MONOTONIC (the steady clock's own) set to the absolute moment: the event
// loop wakes within microseconds of it, with one wake-up per ring.
class TimerFdAlarm : public Alarm
{
public:
    TimerFdAlarm(int fd, std::chrono::nanoseconds origin, Clock::Ring ring)
        : m_fd(fd), m_origin(origin), m_ring(std::move(ring)), m_notifier(fd, QSocketNotifier::Read)
    {
        QObject::connect(&m_notifier, &QSocketNotifier::activated, &m_notifier, [this] {
            quint64 expirations = 0;
            if (::read(m_fd, &expirations, sizeof expirations) == sizeof expirations)
                m_ring();
        });
    }
    ~TimerFdAlarm() override { ::close(m_fd); }

    void set(std::chrono::nanoseconds moment) override
    {
        using namespace std::chrono;
        const nanoseconds absolute = m_origin + moment;
        itimerspec setting{};
        // An expiry of zero would disarm the timer: a moment already past rings at once.
        if (absolute > 0ns) {
            setting.it_value.tv_sec = duration_cast<seconds>(absolute).count();
            setting.it_value.tv_nsec = (absolute % seconds(1)).count();
        } else {
            setting.it_value.tv_nsec = 1;
        }
        ::timerfd_settime(m_fd, TFD_TIMER_ABSTIME, &setting, nullptr);
    }
    void cancel() override
    {
        const itimerspec off{};
        ::timerfd_settime(m_fd, 0, &off, nullptr);
    }

private:
    int m_fd;
    std::chrono::nanoseconds m_origin;
    Clock::Ring m_ring;
    QSocketNotifier m_notifier;
};
} // namespace

std::unique_ptr<Alarm> makeSystemAlarm(const MonotonicClock& clock, const Clock::Ring& ring)
{
    const int fd = ::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (fd < 0)
        return nullptr;
    return std::make_unique<TimerFdAlarm>(fd, clock.origin(), ring);
}
