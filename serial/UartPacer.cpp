#include "serial/UartPacer.h"

QByteArray UartPacer::takeDue(Ns now)
{
    QByteArray due;
    while (!isEmpty() && headStartOf(headSent()) <= now + lead)
        due += releaseHead(headSize() - headSent());
    return due;
}

std::optional<Pacer::Ns> UartPacer::nextDue() const
{
    if (isEmpty())
        return std::nullopt;
    return headStartOf(headSent()) - lead;
}
