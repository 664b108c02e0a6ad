#include "serial/BytePacer.h"

#include <algorithm>

QByteArray BytePacer::takeDue(Ns now)
{
    QByteArray due;
    while (!isEmpty()) {
        // Bytes due by now: those whose start bit time is at or before `now`, by the same
        // rounding as the wire model's.
        const double elapsed = charactersSinceHeadStart(now);
        qsizetype dueCount =
            elapsed < 0 ? 0 : std::min<qsizetype>(headSize(), qsizetype(elapsed) + 1);
        if (dueCount < headSize() && headStartOf(dueCount) <= now)
            ++dueCount;
        if (dueCount > 0 && headStartOf(dueCount - 1) > now)
            --dueCount;
        if (dueCount <= headSent())
            break;
        const bool wholeLine = dueCount == headSize();
        due += releaseHead(dueCount - headSent());
        if (!wholeLine)
            break;
    }
    return due;
}

std::optional<Pacer::Ns> BytePacer::nextDue() const
{
    if (isEmpty())
        return std::nullopt;
    return headStartOf(headSent());
}
