#include "serial/PortMap.h"

// Linux names the serial ports of a PC from 0: COM1 is /dev/ttyS0.
QString PortMap::defaultDevicePath(qint16 port)
{
    return QStringLiteral("/dev/ttyS%1").arg(port - 1);
}

QString PortMap::defaultDevicePattern()
{
    return QStringLiteral("/dev/ttyS<N-1>");
}
