#pragma once

#include "core/Clock.h"

#include <QtGlobal>

#include <map>
#include <optional>
#include <vector>

// The system's monotonic clock, starting at 0 when it is made. Its alarms wake the event loop at
// their moment, by the system's own means where it has them (Linux: a timerfd set to the moment
// itself, within microseconds of it; Windows: a high-resolution waitable timer), or else by Qt's
// precise timer (within the millisecond after it: Qt counts whole milliseconds).
//
// All the clock's alarms share one of the system's: it is set for the earliest of them, and a
// ring calls every alarm then due, in time order (those due together in the order they were
// set). So the event loop waits on one descriptor for all of them, not one each, and setting an
// alarm later than the earliest costs no call to the system.
class MonotonicClock : public Clock
{
public:
    MonotonicClock();
    ~MonotonicClock() override;
    MonotonicClock(const MonotonicClock&) = delete;
    MonotonicClock& operator=(const MonotonicClock&) = delete;

    std::chrono::nanoseconds now() const override;
    std::unique_ptr<Alarm> makeAlarm(Ring ring) override;

    // The clock's 0 on the system's monotonic clock.
    std::chrono::nanoseconds origin() const { return m_origin; }
    // The system's monotonic clock itself (Linux: CLOCK_MONOTONIC; Windows: the performance
    // counter, QueryPerformanceCounter).
    static std::chrono::nanoseconds systemNow();

private:
    class SharedAlarm;
    // Due alarms, by moment and then by the order of their setting.
    using Schedule = std::multimap<std::pair<std::chrono::nanoseconds, quint64>, SharedAlarm*>;

    Schedule::iterator add(std::chrono::nanoseconds moment, SharedAlarm* alarm);
    void remove(Schedule::iterator entry);
    // Sets the system's alarm for the earliest moment due, if that is not what it is set for.
    void setSystemAlarm();
    void ring();

    std::chrono::nanoseconds m_origin;
    Schedule m_due;
    quint64 m_settings = 0;
    std::unique_ptr<Alarm> m_systemAlarm;                    // made with the first alarm
    std::optional<std::chrono::nanoseconds> m_systemAlarmAt; // what it is set for
    std::vector<SharedAlarm*> m_alarms; // every alarm made, to be told when the clock goes
};
