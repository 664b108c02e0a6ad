#include "app/RunSummary.h"

#include "core/TickRecord.h"

void RunSummary::ticked(std::chrono::milliseconds, const TimerRole&, const TickRecord& tick)
{
    if (tick.closedDataString)
        ++(tick.sent ? m_sent : m_leftOut);
    m_underWay = !tick.closedDataString;
}

QString RunSummary::line(qint64 bytesOnTheLine, int errorsReported) const
{
    const auto count = [](qint64 n, const char* one, const char* many) {
        return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many));
    };
    return count(m_sent, "data string sent", "data strings sent") +
           QStringLiteral(", %1 left out; ").arg(m_leftOut) +
           count(bytesOnTheLine, "byte on the line", "bytes on the line") + QStringLiteral("; ") +
           count(errorsReported, "error reported", "errors reported");
}
