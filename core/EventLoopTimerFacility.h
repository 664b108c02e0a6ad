#pragma once

#include "core/TimerFacility.h"
#include "core/TimerSchedule.h"

#include "core/PreciseAlarm.h"

#include <QObject>

// The six timers on Qt's event loop. One alarm is set for the earliest due time and set again
// after every delivery; the schedule works on due times, so neither the time a tick takes nor
// the latency of waking up accumulates over a run. (Qt's default coarse timers may fire 5% early
// or late, which would move a 500 ms gap by 25 ms; its precise ones count whole milliseconds.)
class EventLoopTimerFacility : public QObject, public TimerFacility
{
    Q_OBJECT
public:
    explicit EventLoopTimerFacility(QObject* parent = nullptr);

    void setTickHandler(TickHandler handler) override;
    void restart(int timer, qint32 intervalMs) override;
    void stop(int timer) override;
    qint64 nowMs() const override;

private:
    void wake();
    void arm();

    TimerSchedule m_schedule;
    PreciseAlarm m_alarm;
};
