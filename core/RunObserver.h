#pragma once

#include <QString>

#include <chrono>

class Form1;
struct TickRecord;
struct TimerRole;

// Hears what a run does, as it is done: the operator's actions that change it, and every
// transmitter tick with its moment. The record, the trace and the summary are made from this.
class RunObserver
{
public:
    // Start was pressed: it started the run on the form as it now stands, or it failed.
    virtual void started(const Form1& /*form*/) {}
    virtual void startFailed() {}
    // Stop was pressed.
    virtual void stopped(bool /*done*/) {}
    // An alarm button was pressed: the alarm is now raised or clear.
    virtual void alarmToggled(int /*index*/, bool /*raised*/) {}
    // The focus left an entry field with `text` in it, which its check accepted or refused.
    virtual void entryLeft(int /*field*/, const QString& /*text*/, bool /*accepted*/) {}
    // A transmitter tick has ended, at its due time since the last Start.
    virtual void ticked(std::chrono::milliseconds /*sinceStart*/, const TimerRole& /*timer*/,
                        const TickRecord& /*tick*/)
    {
    }

protected:
    ~RunObserver() = default;
};
