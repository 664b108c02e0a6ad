#pragma once

#include "core/Delivery.h"
#include "core/LineSettings.h"

#include <QByteArray>
#include <QString>

#include <chrono>

// What the serial control `MSComm1` sends through: a device, and whatever stands between the
// transmitters' writes and its wire. The program's lines pace a serial device or the virtual
// line (serial/PacedLine); tests record what they are given.
class SerialLine
{
public:
    // What the line says of its own accord while it is open.
    class Events
    {
    public:
        // The line gave out (pulled out, the other side gone) and has closed itself. Told once,
        // from the event loop, never inside a write.
        virtual void gaveOut(const QString& reason) = 0;

    protected:
        ~Events() = default;
    };

    virtual ~SerialLine() = default;

    // Opens Com Port `port` with `settings`; `events` hears from the line until it is closed.
    // Throws SimulatorError(ErrorKind::PortRefused) with the system's reason when it cannot.
    virtual void open(qint16 port, const LineSettings& settings, Events& events) = 0;
    virtual void close() = 0;
    // A transmitter tick begins on the open line, opening a data string or going on with the one
    // under way (the tick decides which). Returns whether its lines go on the wire: decided when
    // the data string opens, the same for every tick of it.
    virtual Delivery beginTick(bool opensDataString) = 0;
    // One line of the tick, whether or not it goes out. Returns at once: it never waits for the
    // wire.
    virtual void write(const QByteArray& bytes) = 0;
    // The next line written goes on the wire `span` after the wire is free, not sooner; with
    // `breakCondition` the line is held in a break meanwhile, where the device can do that. The
    // rest of that line's data string goes `span` later than it was written, at the soonest: a
    // second page keeps its page gap.
    virtual void holdBack(std::chrono::milliseconds span, bool breakCondition) = 0;
    // Whether `holdBack` can hold the line in a break; without, the line is only silent.
    virtual bool sendsBreaks() const = 0;
    // The tick has ended; `endsDataString`: its data string ends with it (the terminator line was
    // written, or the string has grown past the limit without one).
    virtual void endTick(bool endsDataString) noexcept = 0;
    // Com Port `port` as this line stands for it, e.g. "Com Port 3 (/dev/ttyS2)".
    virtual QString describe(qint16 port) const = 0;
};
