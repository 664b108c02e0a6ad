#pragma once

#include "serial/PacedSerialControl.h"
#include "serial/PortMap.h"

#include <QSerialPort>

// `MSComm1` on a serial device through QSerialPort. The port number picks the device through
// the port map; the device is opened for writing and held exclusively (a lock file and an
// advisory lock on the device itself, so a second instance is refused even through another
// path to the same device). Lines are handed to the device shortly before the wire is free,
// so the device never holds more than a line or two: Stop does not cut a line in two, and
// what waits is bounded.
class SerialDevicePort : public PacedSerialControl
{
public:
    explicit SerialDevicePort(PortMap map);
    ~SerialDevicePort() override;

protected:
    void openLine(qint16 port, const LineSettings& settings) override;
    void closeLine() override;
    void deliver(const QByteArray& bytes) override;
    QString describePort(qint16 port) const override;

private:
    void onError(QSerialPort::SerialPortError error);
    [[noreturn]] void refuse(qint16 port, const QString& reason);

    PortMap m_map;
    QSerialPort m_device;
};
