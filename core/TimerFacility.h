#pragma once

#include <QtGlobal>

#include <functional>

// Delivers the ticks of the six timers. The core says when a timer's count starts afresh
// and when it stops; the facility decides when a tick is due and calls the tick handler.
// Timers are numbered 1..6.
class TimerFacility
{
public:
    using TickHandler = std::function<void(int timer)>;

    virtual ~TimerFacility() = default;

    virtual void setTickHandler(TickHandler handler) = 0;
    // Starts the timer's count afresh: its next tick comes `intervalMs` (> 0) later. A restart
    // made while a tick is being handled counts from that tick's due time, so the time the
    // tick spends does not lengthen the gap; any other restart counts from now.
    virtual void restart(int timer, qint32 intervalMs) = 0;
    // No more ticks of this timer until it is restarted.
    virtual void stop(int timer) = 0;
    // Milliseconds on the facility's clock, which starts at 0.
    virtual qint64 nowMs() const = 0;
};
