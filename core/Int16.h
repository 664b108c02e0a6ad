#pragma once

#include "core/SimulatorError.h"

#include <QtGlobal>

// 16-bit arithmetic as the form's counters and sums do it: a result outside
// -32768..32767 is an overflow error, never a wrapped value.
namespace Int16
{

inline qint16 checked(int value, const char* what)
{
    if (value < -32768 || value > 32767)
        throw SimulatorError(ErrorKind::Overflow,
                             QStringLiteral("%1 reaches %2, outside -32768..32767")
                                 .arg(QLatin1String(what))
                                 .arg(value));
    return qint16(value);
}

inline qint16 add(qint16 a, qint16 b, const char* what)
{
    return checked(int(a) + b, what);
}
inline qint16 multiply(qint16 a, qint16 b, const char* what)
{
    return checked(int(a) * b, what);
}

// `For i = first To last`: the body sees first..last, and the counter's step past the last
// value is itself 16-bit arithmetic, so a last value of 32767 overflows after the final pass.
template <typename Body> void forEach(qint16 first, qint16 last, const char* what, Body body)
{
    for (qint16 i = first; i <= last; i = add(i, 1, what))
        body(i);
}

} // namespace Int16
