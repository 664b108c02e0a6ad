#pragma once

#include "serial/PortMap.h"

#include <memory>

class Clock;
class PacedSerialControl;
class VirtualLine;

// The two lines of the program, each a device with the pacer that suits it.
namespace SerialLines
{
// Serial devices through QSerialPort: their UART paces the bytes, so whole lines are handed
// over just ahead of the wire.
std::unique_ptr<PacedSerialControl> devices(Clock& clock, PortMap map);
// The virtual line, which has no UART: its bytes are handed over one by one at the line rate.
std::unique_ptr<PacedSerialControl> virtualLine(Clock& clock, std::unique_ptr<VirtualLine> line);
} // namespace SerialLines
