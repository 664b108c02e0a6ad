#pragma once

#include <chrono>

// Rings once at a set moment of its clock, from the event loop (or, on a virtual clock, when
// the clock is advanced past the moment).
class Alarm
{
public:
    virtual ~Alarm() = default;

    // Rings at `moment` on the clock, as soon as possible when that moment has passed. Replaces
    // any earlier setting.
    virtual void set(std::chrono::nanoseconds moment) = 0;
    virtual void cancel() = 0;
};
