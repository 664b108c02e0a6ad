#pragma once

#include "core/SerialControl.h"

#include <QByteArray>

// Writes as a transmitter tick does: a tick on the port, a write per line, and the tick's end,
// which closes a data string or not.
inline void writeTick(SerialControl& port, const QByteArray& bytes, bool closing = true)
{
    auto tick = port.beginTick();
    for (const QByteArray& line : bytes.split('\n'))
        if (!line.isEmpty())
            port.setOutput(QString::fromLatin1(line + '\n'));
    if (closing)
        tick.closesDataString();
}
