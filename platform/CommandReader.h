#pragma once

#include <QByteArray>
#include <QObject>
#include <QSocketNotifier>

#include <functional>
#include <memory>

// Reads commands from a file descriptor (standard input) without blocking the event loop,
// and hands over each line as it is complete. End of input stops the reading, nothing else.
class CommandReader
{
public:
    using LineHandler = std::function<void(const QString& line)>;

    CommandReader(int fd, LineHandler handler);

private:
    void readAvailable();

    int m_fd;
    LineHandler m_handler;
    QByteArray m_pending;
    std::unique_ptr<QSocketNotifier> m_notifier;
};
