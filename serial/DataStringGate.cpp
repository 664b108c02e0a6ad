#include "serial/DataStringGate.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace
{
constexpr double idleToleranceSeconds = 0.020;
constexpr qint64 continuationLimit = 8192;
} // namespace

DataStringGate::DataStringGate(double charactersPerSecond)
    : m_charactersPerSecond(charactersPerSecond),
      m_idleTolerance(qint64(std::floor(charactersPerSecond * idleToleranceSeconds)))
{
}

bool DataStringGate::beginTick(qint64 backlogBytes, std::chrono::milliseconds now)
{
    m_inTick = true;
    if (!m_firstTick)
        m_firstTick = now;
    m_tickOpened = !m_inDataString;
    if (!m_inDataString) {
        if (m_dataStringLetThrough)
            m_lastLetThroughBytes = std::min(m_dataStringBytes, continuationLimit);
        m_inDataString = true;
        m_dataStringBytes = 0;
        m_dataStringLetThrough = backlogBytes <= m_lastLetThroughBytes + m_idleTolerance;
        if (!m_dataStringLetThrough)
            leaveOut(now);
    }
    return m_dataStringLetThrough;
}

void DataStringGate::endTick(bool closedDataString)
{
    if (!m_inTick)
        return;
    m_inTick = false;
    // A data string that has grown past the limit without closing (a fractional data string
    // gap never closes one) ends here all the same: the next tick decides afresh, so the line
    // neither falls behind without bound nor stays silent for good.
    if (closedDataString || m_dataStringBytes > continuationLimit)
        m_inDataString = false;
}

void DataStringGate::leaveOut(std::chrono::milliseconds now)
{
    ++m_leftOut;
    if (m_noticeGiven)
        return;
    m_noticeGiven = true;
    const qint64 spanMs = (now - *m_firstTick).count();
    const QString rate =
        spanMs > 0 ? QStringLiteral("%1 bytes per second")
                         .arg(std::llround(double(m_producedBytes) * 1000.0 / double(spanMs)))
                   : QStringLiteral("more bytes than it can send");
    m_notice = QStringLiteral("the line cannot keep up: the transmitters produce %1 "
                              "(%2 bytes in %3 ms), the line carries %4 bytes per second; "
                              "data strings that do not fit are left out whole")
                   .arg(rate)
                   .arg(m_producedBytes)
                   .arg(spanMs)
                   .arg(std::llround(m_charactersPerSecond));
}

std::optional<QString> DataStringGate::takeNotice()
{
    return std::exchange(m_notice, std::nullopt);
}
