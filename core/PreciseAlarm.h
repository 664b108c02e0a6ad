#pragma once

#include <QObject>
#include <QTimer>

#include <chrono>

class QSocketNotifier;

// Rings once at a set moment of a steady clock that starts at 0, on the event loop. On Linux a
// timerfd set to the absolute moment wakes the loop within microseconds of it; elsewhere a
// precise Qt timer wakes it within the millisecond after it (Qt's timers count whole
// milliseconds).
class PreciseAlarm : public QObject
{
    Q_OBJECT
public:
    explicit PreciseAlarm(QObject* parent = nullptr);
    ~PreciseAlarm() override;

    qint64 nowNs() const;
    // Rings at `atNs` on the clock, at once if that has passed. Replaces any earlier setting.
    void set(qint64 atNs);
    void cancel();

signals:
    void rang();

private:
    void onTimerFd();

    std::chrono::steady_clock::time_point m_start;
    int m_timerFd = -1;
    QSocketNotifier* m_notifier = nullptr;
    QTimer m_fallback;
};
