#pragma once

#include "serial/PacedSerialControl.h"

class VirtualLine;

// `MSComm1` on the virtual line: every Start opens the one virtual line, whatever the Com
// Port number, and the bytes leave it at the line rate of the settings, one after the other,
// as a UART sends them.
class VirtualLinePort : public PacedSerialControl
{
public:
    explicit VirtualLinePort(VirtualLine& line);

protected:
    void openLine(qint16 port, const LineSettings& settings) override;
    void closeLine() override {}
    void deliver(const QByteArray& bytes) override;
    QString describePort(qint16 port) const override;

private:
    VirtualLine& m_line;
};
