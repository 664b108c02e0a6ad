#include "platform/CommandReader.h"

#include <QSocketNotifier>

#include <cerrno>
#include <unistd.h>

// The descriptor, watched by the event loop.
class CommandReader::Source
{
public:
    Source(int fd, CommandReader& reader)
        : m_fd(fd), m_reader(reader), m_notifier(fd, QSocketNotifier::Read)
    {
        QObject::connect(&m_notifier, &QSocketNotifier::activated, &m_notifier,
                         [this] { readAvailable(); });
    }

private:
    void readAvailable()
    {
        char buffer[4096];
        const ssize_t count = ::read(m_fd, buffer, sizeof buffer);
        if (count < 0 && (errno == EAGAIN || errno == EINTR))
            return;
        if (count <= 0) {
            // End of input (or no input at all).
            m_notifier.setEnabled(false);
            m_reader.ended();
            return;
        }
        m_reader.received(QByteArray(buffer, count));
    }

    int m_fd;
    CommandReader& m_reader;
    QSocketNotifier m_notifier;
};

CommandReader::CommandReader(int fd, LineHandler handler, OverlongHandler overlong)
    : m_handler(std::move(handler)), m_overlong(std::move(overlong)),
      m_source(std::make_unique<Source>(fd, *this))
{
}

CommandReader::~CommandReader() = default;
