#include "serial/Pacer.h"

#include <algorithm>
#include <cmath>
#include <utility>

using namespace std::chrono_literals;

namespace
{
constexpr Pacer::Ns minimumSleep = 16ms;
constexpr Pacer::Ns stall = 100ms;
} // namespace

Pacer::Pacer(double charactersPerSecond) : m_characterTime(1e9 / charactersPerSecond) {}

Pacer::Ns Pacer::startOf(const Entry& entry, qsizetype index) const
{
    return entry.start + Ns(std::llround(double(index) * m_characterTime.count()));
}

Pacer::Ns Pacer::headStartOf(qsizetype index) const
{
    return startOf(m_queue.front(), index);
}

double Pacer::charactersSinceHeadStart(Ns now) const
{
    return (now - headStartOf(0)) / m_characterTime;
}

void Pacer::append(const QByteArray& line, Ns now, bool opensDataString)
{
    if (line.isEmpty())
        return;
    // A data string that opens other than after a hold is not held back.
    if (opensDataString && !std::exchange(m_holdOpens, false))
        m_heldBy = 0ns;
    const Ns start = std::max(now + m_heldBy, m_idleAt);
    m_queue.push_back({line, start, opensDataString});
    m_queuedBytes += line.size();
    m_idleAt = startOf(m_queue.back(), line.size());
}

Pacer::Ns Pacer::holdBack(Ns now, Ns span)
{
    const Ns from = std::max(now, m_idleAt);
    m_idleAt = from + span;
    m_heldBy = span;
    m_holdOpens = true;
    return from;
}

QByteArray Pacer::releaseHead(qsizetype count)
{
    Entry& head = m_queue.front();
    QByteArray released = head.bytes.mid(m_headSent, count);
    m_headSent += released.size();
    m_queuedBytes -= released.size();
    m_releasedEnd = startOf(head, m_headSent);
    if (m_headSent == head.bytes.size()) {
        m_queue.pop_front();
        m_headSent = 0;
    }
    return released;
}

std::optional<Pacer::Ns> Pacer::nextHandOver(Ns now) const
{
    const std::optional<Ns> due = nextDue();
    if (!due)
        return std::nullopt;
    Ns at = std::max(*due, now + minimumSleep);
    if (const std::optional<Ns> opening = nextDataStringStart())
        at = std::min(at, std::max(*opening, now));
    return at;
}

std::optional<Pacer::Ns> Pacer::nextDataStringStart() const
{
    for (auto entry = m_queue.begin(); entry != m_queue.end(); ++entry)
        if (entry->opensDataString && (entry != m_queue.begin() || m_headSent == 0))
            return entry->start;
    return std::nullopt;
}

Pacer::Ns Pacer::stalledBy(Ns now) const
{
    if (m_queue.empty())
        return Ns(0);
    const Ns late = now - startOf(m_queue.front(), m_headSent);
    return late > stall ? late : Ns(0);
}

void Pacer::resumeIfStalled(Ns now)
{
    const Ns late = stalledBy(now);
    if (late == Ns(0))
        return;
    for (Entry& entry : m_queue)
        entry.start += late;
    m_idleAt += late;
    m_releasedEnd = std::max(m_releasedEnd, now);
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
    m_idleAt =
        m_queue.empty() ? m_releasedEnd : startOf(m_queue.front(), m_queue.front().bytes.size());
}

void Pacer::clear()
{
    m_queue.clear();
    m_headSent = 0;
    m_queuedBytes = 0;
    m_idleAt = 0ns;
    m_releasedEnd = 0ns;
    m_heldBy = 0ns;
    m_holdOpens = false;
}

qint64 Pacer::backlogBytes(Ns now) const
{
    // After a stall what waits goes from now, once the wire is taken up again.
    const Ns idleAt = m_idleAt + stalledBy(now);
    if (idleAt <= now)
        return 0;
    return qint64(std::ceil((idleAt - now) / m_characterTime));
}
