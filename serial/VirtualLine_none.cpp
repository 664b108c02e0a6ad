#include "serial/VirtualLine.h"

#include "core/Clock.h"
#include "core/UsageError.h"

// A system without pseudo-terminals has no virtual line.
std::unique_ptr<VirtualLine> VirtualLine::create(Clock&, const QString&)
{
    throw UsageError(QStringLiteral("--virtual-port"),
                     QStringLiteral("this system has no pseudo-terminals: the virtual line is not "
                                    "available"));
}

VirtualLine::VirtualLine(Clock& clock, int master, QString path, QString link)
    : m_clock(clock), m_master(master), m_path(std::move(path)), m_link(std::move(link))
{
}

VirtualLine::~VirtualLine() = default;

QString VirtualLine::describe(qint16 port) const
{
    return QStringLiteral("Com Port %1 (virtual line %2)").arg(port).arg(m_path);
}

bool VirtualLine::readerPresent() const
{
    return false;
}

void VirtualLine::deliver(const QByteArray& bytes)
{
    m_lost += bytes.size();
}

void VirtualLine::discardInput() {}
void VirtualLine::lookAtReceiver() {}
void VirtualLine::discardUnread() {}
