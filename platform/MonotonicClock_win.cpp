#include "platform/SystemAlarms.h"

#include <QMetaObject>
#include <QWinEventNotifier>

#include <windows.h>

// Windows 10 (1803) and later: a waitable timer that the system wakes to the moment, not to the
// next tick of its coarse (15.6 ms) timer. Older mingw-w64 headers lack the flag.
#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

// The performance counter: monotonic, and finer than a microsecond on every machine since
// Windows XP.
std::chrono::nanoseconds MonotonicClock::systemNow()
{
    static const LONGLONG frequency = [] {
        LARGE_INTEGER ticksPerSecond{};
        QueryPerformanceFrequency(&ticksPerSecond);
        return ticksPerSecond.QuadPart;
    }();
    LARGE_INTEGER count{};
    QueryPerformanceCounter(&count);
    // Whole seconds apart from the rest, so that the product stays within 64 bits.
    return std::chrono::seconds(count.QuadPart / frequency) +
           std::chrono::nanoseconds((count.QuadPart % frequency) * 1'000'000'000 / frequency);
}

namespace
{
using namespace std::chrono;

// A high-resolution waitable timer set to the time left until the moment (the performance
// counter has no absolute timer of its own), its handle watched for the event loop by a pool
// thread (QWinEventNotifier), which rings in any wait of the loop (a completion routine would
// run only in the loop's alertable waits, and not at all while events are processed without
// waiting). A ring for a moment that the alarm no longer has (set anew, cancelled) is not
// passed on.
class WaitableTimerAlarm : public Alarm
{
public:
    WaitableTimerAlarm(HANDLE timer, const MonotonicClock& clock, Clock::Ring ring)
        : m_timer(timer), m_clock(clock), m_ring(std::move(ring)), m_notifier(timer)
    {
        // The notifier watches again only once its signal has returned: the ring is posted,
        // so that a tick that opens a nested event loop (a message box) hears the next ring.
        QObject::connect(&m_notifier, &QWinEventNotifier::activated, &m_notifier, [this] {
            QMetaObject::invokeMethod(
                &m_notifier, [this] { ringIfDue(); }, Qt::QueuedConnection);
        });
    }
    ~WaitableTimerAlarm() override
    {
        m_notifier.setEnabled(false);
        CancelWaitableTimer(m_timer);
        CloseHandle(m_timer);
    }
    WaitableTimerAlarm(const WaitableTimerAlarm&) = delete;
    WaitableTimerAlarm& operator=(const WaitableTimerAlarm&) = delete;

    void set(nanoseconds moment) override
    {
        m_moment = moment;
        // Relative due times are negative, in units of 100 ns; a moment already past rings at
        // once (the shortest wait there is).
        const auto remaining =
            ceil<duration<LONGLONG, std::ratio<1, 10'000'000>>>(moment - m_clock.now());
        LARGE_INTEGER due{};
        due.QuadPart = -std::max<LONGLONG>(1, remaining.count());
        SetWaitableTimer(m_timer, &due, 0, nullptr, nullptr, FALSE);
    }
    void cancel() override
    {
        m_moment.reset();
        CancelWaitableTimer(m_timer);
    }

private:
    void ringIfDue()
    {
        if (m_moment && m_clock.now() >= *m_moment) {
            m_moment.reset();
            m_ring();
        }
    }

    HANDLE m_timer;
    const MonotonicClock& m_clock;
    Clock::Ring m_ring;
    std::optional<nanoseconds> m_moment; // while set
    QWinEventNotifier m_notifier;
};
} // namespace

std::unique_ptr<Alarm> makeSystemAlarm(const MonotonicClock& clock, const Clock::Ring& ring)
{
    HANDLE timer = CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION,
                                          TIMER_ALL_ACCESS);
    if (!timer)
        return nullptr;
    return std::make_unique<WaitableTimerAlarm>(timer, clock, ring);
}
