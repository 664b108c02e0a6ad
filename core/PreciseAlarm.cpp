#include "core/PreciseAlarm.h"

#include <QSocketNotifier>

#ifdef Q_OS_LINUX
#include <sys/timerfd.h>
#include <unistd.h>
#endif

PreciseAlarm::PreciseAlarm(QObject* parent)
    : QObject(parent), m_start(std::chrono::steady_clock::now())
{
    m_fallback.setSingleShot(true);
    m_fallback.setTimerType(Qt::PreciseTimer);
    connect(&m_fallback, &QTimer::timeout, this, &PreciseAlarm::rang);
#ifdef Q_OS_LINUX
    // steady_clock is CLOCK_MONOTONIC, the clock the timerfd keeps.
    m_timerFd = ::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (m_timerFd >= 0) {
        m_notifier = new QSocketNotifier(m_timerFd, QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &PreciseAlarm::onTimerFd);
    }
#endif
}

PreciseAlarm::~PreciseAlarm()
{
#ifdef Q_OS_LINUX
    if (m_timerFd >= 0)
        ::close(m_timerFd);
#endif
}

qint64 PreciseAlarm::nowNs() const
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() -
                                                                m_start)
        .count();
}

void PreciseAlarm::set(qint64 atNs)
{
#ifdef Q_OS_LINUX
    if (m_timerFd >= 0) {
        const qint64 absolute =
            std::chrono::duration_cast<std::chrono::nanoseconds>(m_start.time_since_epoch())
                .count() +
            atNs;
        itimerspec setting{};
        // An expiry of zero would disarm the timer: a moment already past rings at once.
        setting.it_value.tv_sec = absolute > 0 ? absolute / 1000000000 : 0;
        setting.it_value.tv_nsec = absolute > 0 ? absolute % 1000000000 : 1;
        ::timerfd_settime(m_timerFd, TFD_TIMER_ABSTIME, &setting, nullptr);
        return;
    }
#endif
    const qint64 remainingNs = atNs - nowNs();
    m_fallback.start(remainingNs <= 0 ? 0 : int((remainingNs + 999999) / 1000000));
}

void PreciseAlarm::cancel()
{
#ifdef Q_OS_LINUX
    if (m_timerFd >= 0) {
        const itimerspec off{};
        ::timerfd_settime(m_timerFd, 0, &off, nullptr);
        return;
    }
#endif
    m_fallback.stop();
}

void PreciseAlarm::onTimerFd()
{
#ifdef Q_OS_LINUX
    quint64 expirations = 0;
    if (::read(m_timerFd, &expirations, sizeof expirations) == sizeof expirations)
        emit rang();
#endif
}
