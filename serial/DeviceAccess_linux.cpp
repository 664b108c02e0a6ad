#include "serial/DeviceAccess.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <grp.h>
#include <sys/file.h>
#include <sys/stat.h>

std::optional<QString> DeviceAccess::lockExclusively(qintptr handle)
{
    if (::flock(int(handle), LOCK_EX | LOCK_NB) == 0)
        return std::nullopt;
    const int error = errno;
    return error == EWOULDBLOCK ? QStringLiteral("the device is in use by another program")
                                : QString::fromLocal8Bit(std::strerror(error));
}

std::optional<QString> DeviceAccess::permissionHint(const QString& path)
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
