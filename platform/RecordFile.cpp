#include "platform/RecordFile.h"

#include <cerrno>
#include <cstring>

using namespace std::chrono;

namespace
{
qint64 secondsSince(steady_clock::time_point then)
{
    return duration_cast<seconds>(steady_clock::now() - then).count();
}
} // namespace

QString RecordFile::systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

RecordFile::Written RecordFile::write(const QByteArray& bytes)
{
    if (m_state != Written::Whole)
        return m_state;
    m_waiting += bytes;
    if (const Written sent = sendWaiting(); sent != Written::Whole)
        return sent;
    while (m_waitsForReader && waiting() > maxWaitingBytes) {
        waitForRoom(1s);
        if (const Written sent = sendWaiting(); sent != Written::Whole)
            return sent;
    }
    if (waiting() > maxWaitingBytes)
        return fail(Written::Failed, QStringLiteral("its reader has not read for %1 s (%2 bytes "
                                                    "were waiting for it)")
                                         .arg(secondsSince(m_lastTaken))
                                         .arg(waiting()));
    return Written::Whole;
}

RecordFile::Written RecordFile::finish(milliseconds patience)
{
    const steady_clock::time_point giveUp = steady_clock::now() + patience;
    while (m_state == Written::Whole) {
        if (const Written sent = sendWaiting(); sent != Written::Whole)
            return sent;
        if (waiting() == 0)
            return Written::Whole;
        const auto left = m_waitsForReader
                              ? milliseconds(1s)
                              : duration_cast<milliseconds>(giveUp - steady_clock::now());
        if (left <= 0ms)
            return fail(Written::Failed, QStringLiteral("its reader has not read for %1 s; the "
                                                        "last %2 bytes were not written")
                                             .arg(secondsSince(m_lastTaken))
                                             .arg(waiting()));
        waitForRoom(left);
    }
    return m_state;
}

RecordFile::Written RecordFile::sendWaiting()
{
    while (m_sent < m_waiting.size()) {
        int error = 0;
        const qsizetype count =
            writeNow(m_waiting.constData() + m_sent, m_waiting.size() - m_sent, &error);
        if (count < 0)
            return fail(error == EPIPE ? Written::ReaderGone : Written::Failed,
                        systemReason(error));
        if (count == 0)
            break; // the reader is slow: the rest waits for it
        m_sent += count;
        m_lastTaken = steady_clock::now();
    }
    // What went is let go of once it is all, or the larger part: copying stays linear.
    if (m_sent == m_waiting.size())
        m_waiting.clear(), m_sent = 0;
    else if (m_sent > m_waiting.size() / 2)
        m_waiting.remove(0, std::exchange(m_sent, 0));
    return Written::Whole;
}

RecordFile::Written RecordFile::fail(Written how, const QString& why)
{
    m_state = how;
    m_failure = why;
    m_waiting.clear();
    m_sent = 0;
    return how;
}
