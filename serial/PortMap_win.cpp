#include "serial/PortMap.h"

// COM1 to COM9 are known by their names everywhere; from COM10 on, only the device namespace
// knows them ("\\.\COM10"), which works for every number.
QString PortMap::defaultDevicePath(qint16 port)
{
    return port <= 9 ? QStringLiteral("COM%1").arg(port) : QStringLiteral("\\\\.\\COM%1").arg(port);
}

QString PortMap::defaultDevicePattern()
{
    return QStringLiteral("COM<N> (\\\\.\\COM<N> from 10)");
}
