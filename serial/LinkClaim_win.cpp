#include "serial/LinkClaim.h"

#include "core/UsageError.h"

// The virtual line and its link are Linux's (a pseudo-terminal and a symbolic link): Windows
// never makes one (VirtualLine_win.cpp refuses --virtual-port first).
std::unique_ptr<LinkClaim> LinkClaim::make(const QString& link, const QString&)
{
    throw UsageError(QStringLiteral("--virtual-port"),
                     QStringLiteral("no link %1 on Windows: there is no virtual line").arg(link));
}

LinkClaim::~LinkClaim() = default;
