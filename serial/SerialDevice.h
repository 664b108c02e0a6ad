#pragma once

#include "core/LineSettings.h"

#include <QByteArray>
#include <QString>

#include <chrono>
#include <optional>

// What a line needs of a device: open it as a Com Port, hand it bytes, close it, and name it in
// messages.
class SerialDevice
{
public:
    // What the device says of its own accord while it is open.
    class Events
    {
    public:
        // The device failed on its own (pulled out, other side gone). May be told inside a
        // hand-over: whoever hears it acts on it later, never by throwing from `deliver`.
        virtual void gone(const QString& reason) = 0;

    protected:
        ~Events() = default;
    };

    // A reader that has the line open and does not read what it is sent.
    struct IdleReader {
        QString where;                    // where it reads, as the operator knows it
        std::chrono::nanoseconds idleFor; // since it last read
    };

    virtual ~SerialDevice() = default;

    // Throws SimulatorError(ErrorKind::PortRefused) with the system's reason. `events` hears
    // from the device until it is closed.
    virtual void open(qint16 port, const LineSettings& settings, Events& events) = 0;
    virtual void close() = 0;
    // Never blocks.
    virtual void deliver(const QByteArray& bytes) = 0;
    // Holds the line in a break condition, or lets it go. A device that cannot leaves the line
    // silent (and says so in `sendsBreaks`).
    virtual void setBreak(bool /*on*/) {}
    virtual bool sendsBreaks() const { return false; }
    // Asked when a data string opens: whether the reader could not take `bytes` more, whole,
    // beside what it has not read yet; it is an idle reader then. A device that cannot tell
    // (a UART hands its bytes to the wire, whoever listens) says nothing.
    virtual std::optional<IdleReader> idleReader(qint64 /*bytes*/) { return std::nullopt; }
    // Com Port `port` as this device stands for it, e.g. "Com Port 3 (/dev/ttyS2)".
    virtual QString describe(qint16 port) const = 0;
};
