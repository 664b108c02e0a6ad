#include "serial/LinePacer.h"

#include <cmath>

LinePacer::LinePacer(double charactersPerSecond, Release release, qint64 leadNs)
    : m_nsPerChar(1e9 / charactersPerSecond), m_release(release), m_leadNs(leadNs)
{
}

qint64 LinePacer::startOf(const Entry& entry, qsizetype index) const
{
    return entry.startNs + std::llround(double(index) * m_nsPerChar);
}

void LinePacer::append(const QByteArray& line, qint64 nowNs, bool opensDataString)
{
    if (line.isEmpty())
        return;
    const qint64 start = std::max(nowNs, m_idleAtNs);
    m_queue.push_back({line, start, opensDataString});
    m_queuedBytes += line.size();
    m_idleAtNs = start + std::llround(double(line.size()) * m_nsPerChar);
}

QByteArray LinePacer::takeDue(qint64 nowNs)
{
    QByteArray due;
    while (!m_queue.empty()) {
        Entry& head = m_queue.front();
        if (m_release == Release::WholeLines) {
            if (startOf(head, m_headSent) > nowNs + m_leadNs)
                break;
            due += head.bytes.mid(m_headSent);
            m_releasedEndNs = startOf(head, head.bytes.size());
        } else {
            // Bytes due by now: those whose start bit time is <= nowNs.
            const double elapsed = double(nowNs - head.startNs) / m_nsPerChar;
            const qsizetype dueCount =
                elapsed < 0 ? 0 : std::min<qsizetype>(head.bytes.size(), qsizetype(elapsed) + 1);
            if (dueCount <= m_headSent)
                break;
            due += head.bytes.mid(m_headSent, dueCount - m_headSent);
            m_queuedBytes -= dueCount - m_headSent;
            m_headSent = dueCount;
            m_releasedEndNs = startOf(head, dueCount);
            if (m_headSent < head.bytes.size())
                break;
            m_queue.pop_front();
            m_headSent = 0;
            continue;
        }
        m_queuedBytes -= head.bytes.size() - m_headSent;
        m_queue.pop_front();
        m_headSent = 0;
    }
    return due;
}

QByteArray LinePacer::takeAll()
{
    QByteArray all;
    for (const Entry& entry : m_queue)
        all += entry.bytes;
    all.remove(0, m_headSent);
    clear();
    return all;
}

std::optional<qint64> LinePacer::nextDueNs() const
{
    if (m_queue.empty())
        return std::nullopt;
    const qint64 start = startOf(m_queue.front(), m_headSent);
    return m_release == Release::WholeLines ? start - m_leadNs : start;
}

std::optional<qint64> LinePacer::nextDataStringStartNs() const
{
    for (auto entry = m_queue.begin(); entry != m_queue.end(); ++entry)
        if (entry->opensDataString && (entry != m_queue.begin() || m_headSent == 0))
            return entry->startNs;
    return std::nullopt;
}

void LinePacer::dropAfterCurrentLine()
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

void LinePacer::clear()
{
    m_queue.clear();
    m_headSent = 0;
    m_queuedBytes = 0;
    m_idleAtNs = 0;
    m_releasedEndNs = 0;
}

qint64 LinePacer::backlogBytes(qint64 nowNs) const
{
    if (m_idleAtNs <= nowNs)
        return 0;
    return qint64(std::ceil(double(m_idleAtNs - nowNs) / m_nsPerChar));
}
