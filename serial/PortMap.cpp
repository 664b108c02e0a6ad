#include "serial/PortMap.h"

QString PortMap::devicePath(qint16 port) const
{
    return m_mapped.value(port, defaultDevicePath(port));
}

QString PortMap::defaultDevicePath(qint16 port)
{
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(port);
#else
    return QStringLiteral("/dev/ttyS%1").arg(port - 1);
#endif
}

QString PortMap::defaultDevicePattern()
{
#ifdef Q_OS_WIN
    return QStringLiteral("COM<N>");
#else
    return QStringLiteral("/dev/ttyS<N-1>");
#endif
}
