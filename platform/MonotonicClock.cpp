#include "platform/MonotonicClock.h"

#include "platform/SystemAlarms.h"

#include <algorithm>

class MonotonicClock::SharedAlarm : public Alarm
{
public:
    SharedAlarm(MonotonicClock& clock, Ring ring) : m_clock(&clock), m_ring(std::move(ring))
    {
        clock.m_alarms.push_back(this);
    }
    ~SharedAlarm() override
    {
        if (!m_clock)
            return;
        cancel();
        std::erase(m_clock->m_alarms, this);
    }
    SharedAlarm(const SharedAlarm&) = delete;
    SharedAlarm& operator=(const SharedAlarm&) = delete;

    void set(std::chrono::nanoseconds moment) override
    {
        if (!m_clock)
            return;
        cancel();
        m_entry = m_clock->add(moment, this);
    }
    void cancel() override
    {
        if (m_clock && m_entry)
            m_clock->remove(*std::exchange(m_entry, std::nullopt));
    }
    // Taken out of the schedule by the clock, which then rings it.
    void taken() { m_entry.reset(); }
    void ring() { m_ring(); }
    void clockGone() { m_clock = nullptr; }

private:
    MonotonicClock* m_clock;
    Ring m_ring;
    std::optional<Schedule::iterator> m_entry;
};

MonotonicClock::MonotonicClock() : m_origin(systemNow()) {}

MonotonicClock::~MonotonicClock()
{
    for (SharedAlarm* alarm : m_alarms)
        alarm->clockGone();
}

std::chrono::nanoseconds MonotonicClock::now() const
{
    return systemNow() - m_origin;
}

std::unique_ptr<Alarm> MonotonicClock::makeAlarm(Ring ring)
{
    if (!m_systemAlarm) {
        m_systemAlarm = makeSystemAlarm(*this, [this] { this->ring(); });
        // None of the system's own to be had (a restricted sandbox): Qt's timer will do.
        if (!m_systemAlarm)
            m_systemAlarm = makeQtTimerAlarm(*this, [this] { this->ring(); });
    }
    return std::make_unique<SharedAlarm>(*this, std::move(ring));
}

MonotonicClock::Schedule::iterator MonotonicClock::add(std::chrono::nanoseconds moment,
                                                       SharedAlarm* alarm)
{
    const auto entry = m_due.emplace(std::pair{moment, ++m_settings}, alarm);
    setSystemAlarm();
    return entry;
}

void MonotonicClock::remove(Schedule::iterator entry)
{
    m_due.erase(entry);
    setSystemAlarm();
}

void MonotonicClock::setSystemAlarm()
{
    if (m_due.empty()) {
        // Left set, it rings once for nothing; cancelling would cost a call each time the last
        // alarm is taken back and set again.
        return;
    }
    const std::chrono::nanoseconds earliest = m_due.begin()->first.first;
    if (m_systemAlarmAt == earliest)
        return;
    m_systemAlarmAt = earliest;
    m_systemAlarm->set(earliest);
}

void MonotonicClock::ring()
{
    m_systemAlarmAt.reset(); // it has rung: it is set for nothing now
    // What was due when the ring came rings now; an alarm set meanwhile, even for a moment
    // past, rings on the next turn of the event loop, as it would on an alarm of its own (so an
    // alarm that sets itself again at once cannot hold the loop). An alarm rung may set, cancel
    // or destroy any alarm, itself included: each is taken out of the schedule before it is
    // rung, and the schedule is looked at afresh after each. The system's alarm is set for the
    // next before each rings: a ring may run a nested event loop (a modal message box), in
    // which the other alarms must go on ringing.
    const std::chrono::nanoseconds at = now();
    const quint64 setBefore = m_settings;
    for (auto entry = m_due.begin(); entry != m_due.end() && entry->first.first <= at;) {
        if (entry->first.second > setBefore) {
            ++entry;
            continue;
        }
        SharedAlarm* alarm = entry->second;
        m_due.erase(entry);
        alarm->taken();
        setSystemAlarm();
        alarm->ring();
        entry = m_due.begin();
    }
    setSystemAlarm();
}
