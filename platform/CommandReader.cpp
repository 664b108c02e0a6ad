#include "platform/CommandReader.h"

#include "core/TextDecoding.h"

void CommandReader::received(const QByteArray& bytes)
{
    const QByteArrayView in(bytes);
    qsizetype from = 0;
    for (qsizetype end; (end = in.indexOf('\n', from)) >= 0; from = end + 1) {
        take(in.sliced(from, end - from));
        lineEnded();
    }
    take(in.sliced(from));
}

void CommandReader::ended()
{
    // The run goes on until --duration or a signal.
    if (!m_pending.isEmpty() || m_overlongBytes > 0)
        lineEnded();
}

void CommandReader::take(QByteArrayView part)
{
    if (m_overlongBytes == 0 && m_pending.size() + part.size() <= maxLineBytes) {
        m_pending.append(part);
        return;
    }
    m_overlongBytes += m_pending.size() + part.size();
    m_pending.clear();
}

void CommandReader::lineEnded()
{
    if (m_overlongBytes > 0) {
        m_overlong(std::exchange(m_overlongBytes, 0));
        return;
    }
    QByteArray line = std::exchange(m_pending, {});
    if (line.endsWith('\r'))
        line.chop(1);
    m_handler(decodeText(line));
}
