#pragma once

#include <QIODevice>
#include <QSerialPort>
#include <QString>

#include <optional>

// What the system says about using a serial device, beyond QSerialPort.
namespace DeviceAccess
{
// How a device is opened to send on it. Linux: for writing. Windows: for reading and writing,
// since Wine refuses to set up the line of a COM port opened for writing only (what comes in is
// dropped).
QIODevice::OpenMode openMode();
// Holds an open device exclusively, by the device itself rather than by the name it was opened
// under. Returns why it cannot, or nothing when it holds it (or when the system has no such
// lock, where the lock file or the system's own exclusive open guards the device).
std::optional<QString> lockExclusively(const QSerialPort& device);
// Why the device at `path` could not be opened, from QSerialPort's error and the system's
// words, with what to do about it where there is something to say (the group to join, the
// program that holds the port, where the system lists its ports).
QString openRefusal(QSerialPort::SerialPortError error, const QString& systemText,
                    const QString& path);
} // namespace DeviceAccess
