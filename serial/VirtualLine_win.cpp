#include "serial/VirtualLine.h"

#include "core/Alarm.h"
#include "core/UsageError.h"

// The virtual line is a pseudo-terminal, which Windows does not have. A pair of virtual COM
// ports joined back to back (com0com, for one) does the same job there, with the tool on one
// end and the monitoring application on the other.
std::unique_ptr<VirtualLine> VirtualLine::create(Clock&, const QString&, ErrorReporter&)
{
    throw UsageError(
        QStringLiteral("--virtual-port"),
        QStringLiteral("there is no virtual line on Windows (it is a Linux pseudo-terminal); "
                       "for a desk without serial hardware, install a virtual COM port pair "
                       "such as com0com (e.g. COM5 joined to COM6), then give the tool one end "
                       "as Com Port (5) and DRYX the other (COM6)"));
}

// Never made on Windows: what the class must have all the same.
VirtualLine::~VirtualLine() = default;

void VirtualLine::deliver(const QByteArray&) {}

std::optional<SerialDevice::IdleReader> VirtualLine::idleReader(qint64)
{
    return std::nullopt;
}

QString VirtualLine::describe(qint16 port) const
{
    return QStringLiteral("Com Port %1 (virtual line)").arg(port);
}

bool VirtualLine::readerPresent() const
{
    return false;
}
