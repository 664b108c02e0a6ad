#include "serial/DeviceLock.h"

std::optional<QString> lockExclusively(qintptr)
{
    return std::nullopt; // the system opens serial devices exclusively itself
}
