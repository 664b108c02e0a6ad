#include "serial/DataStringGate.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace
{
constexpr double idleToleranceSeconds = 0.020;
// What the transmitters produce is measured over about the last ten seconds, from the openings
// of data strings, one kept every 100 ms at most.
constexpr std::chrono::milliseconds rateWindow{10000};
constexpr std::chrono::milliseconds rateSampling{100};
} // namespace

DataStringGate::DataStringGate(double charactersPerSecond)
    : m_charactersPerSecond(charactersPerSecond),
      m_idleTolerance(qint64(std::floor(charactersPerSecond * idleToleranceSeconds)))
{
}

bool DataStringGate::beginTick(bool opensDataString, qint64 backlogBytes,
                               std::chrono::milliseconds now)
{
    if (opensDataString) {
        if (m_dataStringLetThrough)
            m_lastLetThroughBytes = m_dataStringBytes;
        m_lastDataStringBytes = std::exchange(m_dataStringBytes, 0);
        m_dataStringLetThrough = backlogBytes <= m_lastLetThroughBytes + m_idleTolerance;
        if (!m_dataStringLetThrough)
            leaveOut(now);
        noteOpening(now);
    }
    return m_dataStringLetThrough;
}

void DataStringGate::noteOpening(std::chrono::milliseconds now)
{
    while (m_openings.size() > 1 && m_openings[1].first <= now - rateWindow)
        m_openings.pop_front();
    if (m_openings.empty() || now - m_openings.back().first >= rateSampling)
        m_openings.emplace_back(now, m_producedBytes);
}

// A data string is left out whenever the line is still busy with two before it; that is an
// overload, and told, only when the transmitters produce more than the line carries. After a
// stall of the program, or a line held back by a fault, they do not.
void DataStringGate::leaveOut(std::chrono::milliseconds now)
{
    ++m_leftOut;
    if (m_noticeGiven || m_openings.empty())
        return;
    const qint64 bytes = m_producedBytes - m_openings.front().second;
    const qint64 spanMs = (now - m_openings.front().first).count();
    if (bytes <= 0 || double(bytes) * 1000.0 <= m_charactersPerSecond * double(spanMs))
        return;
    m_noticeGiven = true;
    const QString rate = spanMs > 0
                             ? QStringLiteral("%1 bytes per second")
                                   .arg(std::llround(double(bytes) * 1000.0 / double(spanMs)))
                             : QStringLiteral("more bytes than it can send");
    m_notice = QStringLiteral("the line cannot keep up: the transmitters produce %1 "
                              "(%2 bytes in %3 ms), the line carries %4 bytes per second; "
                              "data strings that do not fit are left out whole")
                   .arg(rate)
                   .arg(bytes)
                   .arg(spanMs)
                   .arg(std::llround(m_charactersPerSecond));
}

std::optional<QString> DataStringGate::takeNotice()
{
    return std::exchange(m_notice, std::nullopt);
}
