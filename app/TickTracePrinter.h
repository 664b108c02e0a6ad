#pragma once

#include "core/TickRecord.h"

#include <QString>

// One line per transmitter tick for --trace: milliseconds since the last Start, the timer's
// name, the bytes the tick put on the line and the texts of its lines, separated by blanks
// (a text that is empty or holds a blank or a quote is written in double quotes):
//
//     1000 Timer4 121 1 2 3 ... 30 0 63536
namespace TickTracePrinter
{
QString line(qint64 msSinceStart, const QString& timer, const TickRecord& tick);
}
