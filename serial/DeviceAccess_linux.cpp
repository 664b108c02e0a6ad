#include "serial/DeviceAccess.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <grp.h>
#include <sys/file.h>
#include <sys/stat.h>

namespace
{
// The group a device belongs to and how to join it, when its group may write to it.
std::optional<QString> permissionHint(const QString& path)
{
    struct stat device {
    };
    if (::stat(QFile::encodeName(path).constData(), &device) != 0)
        return std::nullopt;
    const group* owners = ::getgrgid(device.st_gid);
    if (!owners || !(device.st_mode & S_IWGRP) || device.st_gid == 0)
        return std::nullopt;
    const QString name = QString::fromLocal8Bit(owners->gr_name);
    return QStringLiteral("the device belongs to the group %1: join it with "
                          "`sudo usermod -aG %1 $USER`, then log in again")
        .arg(name);
}
} // namespace

QIODevice::OpenMode DeviceAccess::openMode()
{
    return QIODevice::WriteOnly;
}

std::optional<QString> DeviceAccess::lockExclusively(const QSerialPort& device)
{
    if (::flock(device.handle(), LOCK_EX | LOCK_NB) == 0)
        return std::nullopt;
    const int error = errno;
    return error == EWOULDBLOCK ? QStringLiteral("the device is in use by another program")
                                : QString::fromLocal8Bit(std::strerror(error));
}

QString DeviceAccess::openRefusal(QSerialPort::SerialPortError error, const QString& systemText,
                                  const QString& path)
{
    if (error != QSerialPort::PermissionError)
        return systemText;
    // QSerialPort says the system's reason, except for its own lock file.
    if (systemText.contains(QLatin1String("lock")))
        return QStringLiteral("the device is in use by another program");
    if (const std::optional<QString> hint = permissionHint(path))
        return QStringLiteral("%1 (%2)").arg(systemText, *hint);
    return systemText;
}
