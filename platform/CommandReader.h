#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>

// Reads commands from a file descriptor (standard input) without blocking the event loop,
// and hands over each line as it is complete, on the event loop. End of input stops the
// reading, nothing else. How the system is waited on is its own (CommandReader_linux.cpp: a
// socket notifier; CommandReader_win.cpp: a reading thread, since Windows cannot wait on a pipe
// or a console from the event loop).
class CommandReader
{
public:
    using LineHandler = std::function<void(const QString& line)>;

    CommandReader(int fd, LineHandler handler);
    ~CommandReader();
    CommandReader(const CommandReader&) = delete;
    CommandReader& operator=(const CommandReader&) = delete;

private:
    class Source;

    // What came in: each complete line goes to the handler, CR LF or LF ending it.
    void received(const QByteArray& bytes);
    // The end of input: a last line without its line end goes to the handler too.
    void ended();

    LineHandler m_handler;
    QByteArray m_pending;
    std::unique_ptr<Source> m_source;
};
