#pragma once

#include <QtGlobal>

// A 24-bit colour packed as red + 256 * green + 65536 * blue: red sits in the low byte.
using Colour = quint32;

constexpr Colour rgb(int red, int green, int blue)
{
    return Colour(red) | (Colour(green) << 8) | (Colour(blue) << 16);
}

namespace Colours
{
inline constexpr Colour runningLit = rgb(51, 255, 102);
inline constexpr Colour runningDark = rgb(0, 64, 0);
inline constexpr Colour runningStopped = rgb(0, 80, 0);
inline constexpr Colour stoppedLit = rgb(255, 0, 0);
inline constexpr Colour stoppedDim = rgb(100, 0, 0);
inline constexpr Colour alarmRaised = rgb(255, 0, 0);
inline constexpr Colour alarmClear = rgb(0, 255, 0);
inline constexpr Colour black = rgb(0, 0, 0);
inline constexpr Colour lightGrey = rgb(224, 224, 224);
inline constexpr Colour window = rgb(255, 224, 192);
inline constexpr Colour panel = rgb(64, 64, 64);
} // namespace Colours
