#include "serial/SerialLines.h"

#include "serial/BytePacer.h"
#include "serial/PacedLine.h"
#include "serial/SerialPortDevice.h"
#include "serial/SilentDevice.h"
#include "serial/UartPacer.h"
#include "serial/VirtualLine.h"

namespace
{
template <typename P> std::unique_ptr<Pacer> makePacer(double charactersPerSecond)
{
    return std::make_unique<P>(charactersPerSecond);
}
} // namespace

std::unique_ptr<PacedLine> SerialLines::devices(Clock& clock, PortMap map, ErrorReporter& reporter)
{
    return std::make_unique<PacedLine>(clock, std::make_unique<SerialPortDevice>(std::move(map)),
                                       &makePacer<UartPacer>, reporter);
}

std::unique_ptr<PacedLine> SerialLines::virtualLine(Clock& clock, std::unique_ptr<VirtualLine> line,
                                                    ErrorReporter& reporter)
{
    return std::make_unique<PacedLine>(clock, std::move(line), &makePacer<BytePacer>, reporter);
}

std::unique_ptr<PacedLine> SerialLines::silentLine(Clock& clock, ErrorReporter& reporter)
{
    return std::make_unique<PacedLine>(clock, std::make_unique<SilentDevice>(),
                                       &makePacer<BytePacer>, reporter);
}
