#include "serial/DataStringGate.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace
{
constexpr double idleToleranceSeconds = 0.020;
} // namespace

DataStringGate::DataStringGate(double charactersPerSecond)
    : m_charactersPerSecond(charactersPerSecond),
      m_idleTolerance(qint64(std::floor(charactersPerSecond * idleToleranceSeconds)))
{
}

bool DataStringGate::beginTick(bool opensDataString, qint64 backlogBytes,
                               std::chrono::milliseconds now)
{
    if (!m_firstTick)
        m_firstTick = now;
    if (opensDataString) {
        if (m_dataStringLetThrough)
            m_lastLetThroughBytes = m_dataStringBytes;
        m_lastDataStringBytes = std::exchange(m_dataStringBytes, 0);
        m_dataStringLetThrough = backlogBytes <= m_lastLetThroughBytes + m_idleTolerance;
        if (!m_dataStringLetThrough)
            leaveOut(now);
    }
    return m_dataStringLetThrough;
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
