#pragma once

#include "core/LineSettings.h"

#include <QByteArray>
#include <QString>

#include <functional>

// What the line needs of a device: open it as a Com Port, hand it bytes, close it, and name it
// in messages. A device that fails on its own (pulled out, other side gone) says so through the
// gone handler, never by throwing from `deliver`.
class SerialDevice
{
public:
    using GoneHandler = std::function<void(const QString& reason)>;

    virtual ~SerialDevice() = default;

    // Throws SimulatorError(ErrorKind::PortRefused) with the system's reason.
    virtual void open(qint16 port, const LineSettings& settings) = 0;
    virtual void close() = 0;
    // Never blocks.
    virtual void deliver(const QByteArray& bytes) = 0;
    // Com Port `port` as this device stands for it, e.g. "Com Port 3 (/dev/ttyS2)".
    virtual QString describe(qint16 port) const = 0;

    void setGoneHandler(GoneHandler handler) { m_gone = std::move(handler); }

protected:
    void gone(const QString& reason) const
    {
        if (m_gone)
            m_gone(reason);
    }

private:
    GoneHandler m_gone;
};
