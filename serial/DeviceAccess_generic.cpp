#include "serial/DeviceAccess.h"

std::optional<QString> DeviceAccess::lockExclusively(qintptr)
{
    return std::nullopt; // the system opens serial devices exclusively itself
}

std::optional<QString> DeviceAccess::permissionHint(const QString&)
{
    return std::nullopt;
}
