#include "serial/BytePacer.h"

#include <algorithm>

QByteArray BytePacer::takeDue(qint64 nowNs)
{
    QByteArray due;
    while (!isEmpty()) {
        // Bytes due by now: those whose start bit time is at or before `nowNs`.
        const double elapsed = double(nowNs - headStartOf(0)) / nsPerCharacter();
        const qsizetype dueCount =
            elapsed < 0 ? 0 : std::min<qsizetype>(headSize(), qsizetype(elapsed) + 1);
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
