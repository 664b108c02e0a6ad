#pragma once

#include "serial/PortMap.h"
#include "serial/SerialDevice.h"

#include <QSerialPort>

// A serial device through QSerialPort. The Com Port number picks the device through the port
// map; the device is opened for writing and held exclusively (a lock file, and an advisory lock
// on the device itself, so that a second instance is refused even through another path to the
// same device). A device that takes nothing at all (a pseudo-terminal or socat link whose
// reader has stopped reading) is given no more bytes once 16 KiB wait for it.
class SerialPortDevice final : public SerialDevice
{
public:
    explicit SerialPortDevice(PortMap map);
    ~SerialPortDevice() override;

    void open(qint16 port, const LineSettings& settings, Events& events) override;
    void close() override;
    void deliver(const QByteArray& bytes) override;
    void setBreak(bool on) override;
    bool sendsBreaks() const override { return true; }
    QString describe(qint16 port) const override;

private:
    void onError(QSerialPort::SerialPortError error);
    [[noreturn]] void refuse(qint16 port, const QString& reason) const;

    PortMap m_map;
    QSerialPort m_device;
    qint16 m_port = 0;
    Events* m_events = nullptr; // while open
    bool m_settingBreak = false;
};
