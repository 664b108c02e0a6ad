#include "app/RunSummary.h"

#include "core/TickRecord.h"

void RunSummary::ticked(std::chrono::milliseconds, const TimerRole&, const TickRecord& tick)
{
    m_underWay = !tick.closedDataString;
    if (!tick.closedDataString)
        return;
    switch (tick.delivery) {
    case Delivery::Sent:
        ++m_sent;
        break;
    case Delivery::LeftOut:
        ++m_leftOut;
        break;
    case Delivery::Lost:
        ++m_lost;
        break;
    }
}

QString RunSummary::line(qint64 bytesOnTheLine, int errorsReported) const
{
    const auto count = [](qint64 n, const char* one, const char* many) {
        return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many));
    };
    return count(m_sent, "data string sent", "data strings sent") +
           QStringLiteral(", %1 left out").arg(m_leftOut) +
           (m_lost > 0 ? QStringLiteral(", %1 lost (not read)").arg(m_lost) : QString()) +
           QStringLiteral("; ") + count(bytesOnTheLine, "byte on the line", "bytes on the line") +
           QStringLiteral("; ") + count(errorsReported, "error reported", "errors reported");
}
