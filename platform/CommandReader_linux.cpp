#include "platform/CommandReader.h"

#include <QString>

#include <cerrno>
#include <unistd.h>

CommandReader::CommandReader(int fd, LineHandler handler) : m_fd(fd), m_handler(std::move(handler))
{
    m_notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(),
                     [this] { readAvailable(); });
}

void CommandReader::readAvailable()
{
    char buffer[4096];
    const ssize_t count = ::read(m_fd, buffer, sizeof buffer);
    if (count < 0 && (errno == EAGAIN || errno == EINTR))
        return;
    if (count <= 0) {
        // End of input (or no input at all): the run goes on until --duration or a signal.
        m_notifier->setEnabled(false);
        if (!m_pending.isEmpty())
            m_handler(QString::fromLocal8Bit(std::exchange(m_pending, {})));
        return;
    }
    m_pending.append(buffer, count);
    qsizetype end;
    while ((end = m_pending.indexOf('\n')) >= 0) {
        QByteArray line = m_pending.left(end);
        m_pending.remove(0, end + 1);
        if (line.endsWith('\r'))
            line.chop(1);
        m_handler(QString::fromLocal8Bit(line));
    }
}
