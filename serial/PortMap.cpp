#include "serial/PortMap.h"

QString PortMap::devicePath(qint16 port) const
{
    return m_mapped.value(port, m_every.isEmpty() ? defaultDevicePath(port) : m_every);
}
