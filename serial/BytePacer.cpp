#include "serial/BytePacer.h"

#include <algorithm>

QByteArray BytePacer::takeDue(qint64 nowNs)
{
    QByteArray due;
    while (!isEmpty()) {
        // Bytes due by now: those whose start bit time is at or before `nowNs`, by the same
        // rounding as the wire model's.
        const double elapsed = double(nowNs - headStartOf(0)) / nsPerCharacter();
        qsizetype dueCount =
            elapsed < 0 ? 0 : std::min<qsizetype>(headSize(), qsizetype(elapsed) + 1);
        if (dueCount < headSize() && headStartOf(dueCount) <= nowNs)
            ++dueCount;
        if (dueCount > 0 && headStartOf(dueCount - 1) > nowNs)
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

std::optional<qint64> BytePacer::nextDueNs() const
{
    if (isEmpty())
        return std::nullopt;
    return headStartOf(headSent());
}
