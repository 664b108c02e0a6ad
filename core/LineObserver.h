#pragma once

#include <QString>

struct TickRecord;

// Hears what happens on `MSComm1` between the operator's actions: each transmitter tick's
// writes, and a line that gives out during a run.
class LineObserver
{
public:
    // A tick has ended: what it wrote, and whether its data string went on the line.
    virtual void tickEnded(const TickRecord& tick) = 0;
    // The line gave out; the port is closed already.
    virtual void lineFailed(const QString& reason) = 0;

protected:
    ~LineObserver() = default;
};
