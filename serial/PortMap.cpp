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

bool PortMap::addMapping(const QString& text, QString* why)
{
    const qsizetype equals = text.indexOf(QLatin1Char('='));
    bool ok = false;
    const int port = equals > 0 ? text.left(equals).trimmed().toInt(&ok) : 0;
    const QString device = equals > 0 ? text.mid(equals + 1).trimmed() : QString();
    if (!ok || port < 1 || port > 32767 || device.isEmpty()) {
        *why = QStringLiteral("--port expects N=DEVICE with N from 1 to 32767, e.g. "
                              "--port 1=/dev/ttyUSB0; got \"%1\"")
                   .arg(text);
        return false;
    }
    map(qint16(port), device);
    return true;
}
