#include "serial/Pacer.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr qint64 minimumSleepNs = 16'000'000;
constexpr qint64 stallNs = 100'000'000;
} // namespace

Pacer::Pacer(double charactersPerSecond) : m_nsPerChar(1e9 / charactersPerSecond) {}

qint64 Pacer::startOf(const Entry& entry, qsizetype index) const
{
    return entry.startNs + std::llround(double(index) * m_nsPerChar);
}

qint64 Pacer::headStartOf(qsizetype index) const
{
    return startOf(m_queue.front(), index);
}

void Pacer::append(const QByteArray& line, qint64 nowNs, bool opensDataString)
{
    if (line.isEmpty())
        return;
    const qint64 start = std::max(nowNs, m_idleAtNs);
    m_queue.push_back({line, start, opensDataString});
    m_queuedBytes += line.size();
    m_idleAtNs = startOf(m_queue.back(), line.size());
}

QByteArray Pacer::releaseHead(qsizetype count)
{
    Entry& head = m_queue.front();
    QByteArray released = head.bytes.mid(m_headSent, count);
    m_headSent += released.size();
    m_queuedBytes -= released.size();
    m_releasedEndNs = startOf(head, m_headSent);
    if (m_headSent == head.bytes.size()) {
        m_queue.pop_front();
        m_headSent = 0;
    }
    return released;
}

std::optional<qint64> Pacer::nextHandOverNs(qint64 nowNs) const
{
    const std::optional<qint64> due = nextDueNs();
    if (!due)
        return std::nullopt;
    qint64 at = std::max(*due, nowNs + minimumSleepNs);
    if (const std::optional<qint64> opening = nextDataStringStartNs())
        at = std::min(at, std::max(*opening, nowNs));
    return at;
}

std::optional<qint64> Pacer::nextDataStringStartNs() const
{
    for (auto entry = m_queue.begin(); entry != m_queue.end(); ++entry)
        if (entry->opensDataString && (entry != m_queue.begin() || m_headSent == 0))
            return entry->startNs;
    return std::nullopt;
}

void Pacer::resumeIfStalled(qint64 nowNs)
{
    if (m_queue.empty())
        return;
    const qint64 late = nowNs - startOf(m_queue.front(), m_headSent);
    if (late <= stallNs)
        return;
    for (Entry& entry : m_queue)
        entry.startNs += late;
    m_idleAtNs += late;
    m_releasedEndNs = std::max(m_releasedEndNs, nowNs);
}

QByteArray Pacer::takeAll()
{
    QByteArray all;
    for (const Entry& entry : m_queue)
        all += entry.bytes;
    all.remove(0, m_headSent);
    clear();
    return all;
}

void Pacer::dropAfterCurrentLine()
{
    if (m_queue.empty())
        return;
    const bool lineInProgress = m_headSent > 0;
    while (m_queue.size() > (lineInProgress ? 1u : 0u)) {
        m_queuedBytes -= m_queue.back().bytes.size();
        m_queue.pop_back();
    }
    // The wire is free once what it has been handed is out.
    m_idleAtNs =
        m_queue.empty() ? m_releasedEndNs : startOf(m_queue.front(), m_queue.front().bytes.size());
}

void Pacer::clear()
{
    m_queue.clear();
    m_headSent = 0;
    m_queuedBytes = 0;
    m_idleAtNs = 0;
    m_releasedEndNs = 0;
}

qint64 Pacer::backlogBytes(qint64 nowNs) const
{
    if (m_idleAtNs <= nowNs)
        return 0;
    return qint64(std::ceil(double(m_idleAtNs - nowNs) / m_nsPerChar));
}
