#include "serial/DeviceLock.h"

#include <cerrno>
#include <cstring>
#include <sys/file.h>

std::optional<QString> lockExclusively(qintptr handle)
{
    if (::flock(int(handle), LOCK_EX | LOCK_NB) == 0)
        return std::nullopt;
    const int error = errno;
    return error == EWOULDBLOCK ? QStringLiteral("the device is in use by another program")
                                : QString::fromLocal8Bit(std::strerror(error));
}
