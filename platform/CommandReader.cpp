#include "platform/CommandReader.h"

#include "core/TextDecoding.h"

void CommandReader::received(const QByteArray& bytes)
{
    m_pending.append(bytes);
    qsizetype end;
    while ((end = m_pending.indexOf('\n')) >= 0) {
        QByteArray line = m_pending.left(end);
        m_pending.remove(0, end + 1);
        if (line.endsWith('\r'))
            line.chop(1);
        m_handler(decodeText(line));
    }
}

void CommandReader::ended()
{
    // The run goes on until --duration or a signal.
    if (!m_pending.isEmpty())
        m_handler(decodeText(std::exchange(m_pending, {})));
}
