#pragma once

#include "core/ChangeNotifier.h"
#include "core/TimerRoles.h"

#include <QString>

class TimerFacility;

// One of the form's six timers: Enabled and Interval, as the handlers see them. It ticks
// while enabled with a non-zero interval. Enabling a disabled timer or writing its interval
// starts its count afresh; disabling it stops its ticks at once.
class Timer
{
public:
    Timer(ChangeNotifier& notifier, TimerFacility& facility, int number);

    bool enabled() const { return m_enabled; }
    qint32 interval() const { return m_interval; }
    void setEnabled(bool enabled);
    // A negative interval is refused, with the timer left as it was.
    void setInterval(qint32 intervalMs);

    int number() const { return m_number; }
    QString name() const { return TimerRoles::of(m_number).name(); }

private:
    void startCountAfresh();

    ChangeNotifier& m_notifier;
    TimerFacility& m_facility;
    int m_number;
    bool m_enabled = true;
    qint32 m_interval = 0;
};
