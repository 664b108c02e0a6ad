#pragma once

#include "serial/PortMap.h"

#include <memory>

class Clock;
class ErrorReporter;
class PacedLine;
class VirtualLine;

// The two lines of the program, each a device with the pacer that suits it.
namespace SerialLines
{
// Serial devices through QSerialPort: their UART paces the bytes, so whole lines are handed
// over just ahead of the wire.
std::unique_ptr<PacedLine> devices(Clock& clock, PortMap map, ErrorReporter& reporter);
// The virtual line, which has no UART: its bytes are handed over one by one at the line rate.
std::unique_ptr<PacedLine> virtualLine(Clock& clock, std::unique_ptr<VirtualLine> line,
                                       ErrorReporter& reporter);
// No line at all, for a run in virtual time: paced as the virtual line is, sent nowhere.
std::unique_ptr<PacedLine> silentLine(Clock& clock, ErrorReporter& reporter);
} // namespace SerialLines
