#pragma once

#include "serial/SerialDevice.h"

// The line of a run in virtual time: there is no wire, and every byte it is handed goes
// nowhere. The line in front of it paces them all the same, so the run leaves out what a
// real line would have had to.
class SilentDevice final : public SerialDevice
{
public:
    void open(qint16, const LineSettings&, Events&) override {}
    void close() override {}
    void deliver(const QByteArray&) override {}
    QString describe(qint16 port) const override
    {
        return QStringLiteral("Com Port %1 (virtual time: no line)").arg(port);
    }
};
