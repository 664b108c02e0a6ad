#pragma once

#include <QMap>
#include <QString>

// Which device each Com Port number stands for: /dev/ttyS<n-1> on Linux, COM<n> on Windows,
// unless the operator has mapped the number to a device of their choice (`--port 3=/dev/ttyUSB0`)
// or named one device for every number (`dryx-plc-test /dev/ttyUSB0`).
class PortMap
{
public:
    void map(qint16 port, const QString& device) { m_mapped.insert(port, device); }
    void mapEvery(const QString& device) { m_every = device; }
    QString devicePath(qint16 port) const;
    // No number is mapped: every one stands for its default device.
    bool isEmpty() const { return m_mapped.isEmpty() && m_every.isEmpty(); }

    static QString defaultDevicePath(qint16 port);
    // The rule, for the operator: "/dev/ttyS<N-1>".
    static QString defaultDevicePattern();

private:
    QMap<qint16, QString> m_mapped;
    QString m_every;
};
