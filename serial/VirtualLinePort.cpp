#include "serial/VirtualLinePort.h"

#include "serial/VirtualLine.h"

VirtualLinePort::VirtualLinePort(VirtualLine& line)
    : PacedSerialControl(LinePacer::Release::Bytes, 0), m_line(line)
{
}

void VirtualLinePort::openLine(qint16, const LineSettings&)
{
    // The line exists for the program's whole life; opening it only lets writes through.
}

void VirtualLinePort::deliver(const QByteArray& bytes)
{
    m_line.send(bytes);
}

QString VirtualLinePort::describePort(qint16 port) const
{
    return QStringLiteral("Com Port %1 (virtual line %2)").arg(port).arg(m_line.path());
}
