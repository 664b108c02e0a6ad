#include "serial/PortMap.h"

QString PortMap::devicePath(qint16 port) const
{
    return m_mapped.value(port, m_every.isEmpty() ? defaultDevicePath(port) : m_every);
}

// Linux names the serial ports of a PC from 0: COM1 is /dev/ttyS0.
QString PortMap::defaultDevicePath(qint16 port)
{
    return QStringLiteral("/dev/ttyS%1").arg(port - 1);
}

QString PortMap::defaultDevicePattern()
{
    return QStringLiteral("/dev/ttyS<N-1>");
}
