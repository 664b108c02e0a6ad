#include "serial/SerialLines.h"

#include "serial/BytePacer.h"
#include "serial/PacedSerialControl.h"
#include "serial/SerialPortDevice.h"
#include "serial/UartPacer.h"
#include "serial/VirtualLine.h"

namespace
{
template <typename P> std::unique_ptr<Pacer> makePacer(double charactersPerSecond)
{
    return std::make_unique<P>(charactersPerSecond);
}
} // namespace

std::unique_ptr<PacedSerialControl> SerialLines::devices(Clock& clock, PortMap map)
{
    return std::make_unique<PacedSerialControl>(
        clock, std::make_unique<SerialPortDevice>(std::move(map)), &makePacer<UartPacer>);
}

std::unique_ptr<PacedSerialControl> SerialLines::virtualLine(Clock& clock,
                                                             std::unique_ptr<VirtualLine> line)
{
    return std::make_unique<PacedSerialControl>(clock, std::move(line), &makePacer<BytePacer>);
}
