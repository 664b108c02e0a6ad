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
    // Told the length of a line too long to be a command, once the line has ended.
    using OverlongHandler = std::function<void(qsizetype bytes)>;

    // No command comes near it; a line without an end is not kept growing beyond it.
    static constexpr qsizetype maxLineBytes = qsizetype(64) << 10;

    CommandReader(int fd, LineHandler handler, OverlongHandler overlong);
    ~CommandReader();
    CommandReader(const CommandReader&) = delete;
    CommandReader& operator=(const CommandReader&) = delete;

private:
    class Source;

    // What came in: each complete line goes to the handler, CR LF or LF ending it.
    void received(const QByteArray& bytes);
    // The end of input: a last line without its line end goes to the handler too.
    void ended();
    void take(QByteArrayView part);
    void lineEnded();

    LineHandler m_handler;
    OverlongHandler m_overlong;
    QByteArray m_pending;
    qsizetype m_overlongBytes = 0; // of the line under way, once it is too long
    std::unique_ptr<Source> m_source;
};
