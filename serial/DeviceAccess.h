#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

// What the system says about using a serial device, beyond QSerialPort.
namespace DeviceAccess
{
// Holds an open device exclusively, by the device itself rather than by the name it was opened
// under. Returns why it cannot, or nothing when it holds it (or when the system has no such
// lock, where the lock file alone guards the device).
std::optional<QString> lockExclusively(qintptr handle);
// How to be allowed to open a device the system refused for want of permission: the group the
// device belongs to and how to join it, when there is such a thing to say.
std::optional<QString> permissionHint(const QString& path);
} // namespace DeviceAccess
