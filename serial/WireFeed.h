#pragma once

#include "serial/Pacer.h"

#include <deque>
#include <functional>
#include <memory>

class Alarm;
class Clock;
class SerialDevice;

// Keeps a device fed from the wire model: the pacer says when bytes are due, the feed hands them
// to the device then, on the clock's alarm, and counts them.
class WireFeed
{
public:
    // Makes the pacer that suits the device, for a line of the given rate.
    using PacerFactory = std::function<std::unique_ptr<Pacer>(double charactersPerSecond)>;

    WireFeed(Clock& clock, SerialDevice& device, PacerFactory pacerFor);
    ~WireFeed();
    WireFeed(const WireFeed&) = delete;
    WireFeed& operator=(const WireFeed&) = delete;

    // A run at this rate begins. The rest of a line from the run before, still going out, keeps
    // its place in front.
    void beginRun(double charactersPerSecond);
    // A line for the wire; what is due of it already (on an idle wire, its first byte) is handed
    // over at once, inside the write.
    void append(const QByteArray& line, bool opensDataString);
    // The next line appended waits `span` after the wire is free; with `breakCondition` the
    // device holds the line in a break for that span.
    void holdBack(std::chrono::nanoseconds span, bool breakCondition);
    // Stop: the line on the wire is finished (at the line rate), nothing after it.
    void dropAfterCurrentLine();
    // The program ends: the rest of the line on the wire is handed over now.
    void finishCurrentLine();
    // The device is gone: nothing more is handed to it.
    void clear();

    qint64 queuedBytes() const;
    // Characters the wire has yet to send, queued here or handed over.
    qint64 backlogBytes() const;
    // Every byte handed to the device since the program started.
    qint64 bytesHandedOver() const { return m_bytesHandedOver; }

private:
    void handOver();
    void deliver(const QByteArray& bytes);
    void arm();
    void setBreak();
    void releaseBreak();

    Clock& m_clock;
    SerialDevice& m_device;
    PacerFactory m_pacerFor;
    std::unique_ptr<Pacer> m_pacer;
    std::unique_ptr<Alarm> m_alarm;
    std::unique_ptr<Alarm> m_breakAlarm;
    std::deque<std::pair<Pacer::Ns, bool>> m_breakChanges; // when the break goes on or off
    bool m_breakOn = false;
    qint64 m_bytesHandedOver = 0;
};
