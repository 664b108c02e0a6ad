#pragma once

#include <QtGlobal>

#include <ctime>

// The bench's one clock: CLOCK_MONOTONIC, the clock the tool's alarms and the kernel's absolute
// sleeps go by.
inline qint64 monotonicNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

inline double monotonicMs()
{
    return double(monotonicNs()) / 1e6;
}
