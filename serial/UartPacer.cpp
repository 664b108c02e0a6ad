#include "serial/UartPacer.h"

QByteArray UartPacer::takeDue(qint64 nowNs)
{
    QByteArray due;
    while (!isEmpty() && headStartOf(headSent()) <= nowNs + leadNs)
        due += releaseHead(headSize() - headSent());
    return due;
}

std::optional<qint64> UartPacer::nextDueNs() const
{
    if (isEmpty())
        return std::nullopt;
    return headStartOf(headSent()) - leadNs;
}
