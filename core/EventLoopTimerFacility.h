#pragma once

#include "TimerFacility.h"
#include "TimerSchedule.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

// The six timers on Qt's event loop. One precise single-shot timer is armed for the earliest
// due time and re-armed after every delivery; the schedule works on due times, so neither the
// time a tick takes nor the latency of waking up accumulates over a run. (Qt's default coarse
// timers may fire 5% early or late, which would move a 500 ms gap by 25 ms.)
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
    static constexpr qint64 finalStretchNs = 1000000;

    void wake();
    void arm();

    TimerSchedule m_schedule;
    QElapsedTimer m_clock;
    QTimer m_wakeUp;
};
