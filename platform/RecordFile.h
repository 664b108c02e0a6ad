#pragma once

#include <QByteArray>
#include <QString>

#include <chrono>
#include <memory>

// Where the run's record goes (--log, or standard output for --trace and the answers to
// commands), written so that the record never hides a failure and never holds up the line:
// - a file named is opened without waiting on it: a FIFO is waited for a reader a few seconds
//   at most, then refused;
// - a write goes whole or fails, with the system's reason; one the system takes only in part
//   (a disk that fills up) fails too. A reader that has gone (a pipe closed by `head`) is told
//   apart from other failures. A failure is the file's last word: later writes fail alike.
// - a pipe or a terminal whose reader is slow (`--trace | less`, a terminal held by Ctrl-S) is
//   never waited for: what it cannot take yet waits here, in order, and goes with the next write
//   or `finish`. A reader that leaves more than `maxWaitingBytes` waiting is not reading: the
//   write fails, saying since when it has not read. Where no line is held up (virtual time),
//   the reader is waited for instead, as a blocking write waits.
class RecordFile
{
public:
    enum class Mode { Afresh, Append };
    enum class Written { Whole, Failed, ReaderGone };
    // Hours of a trace; far beyond a reader that is only slow.
    static constexpr qsizetype maxWaitingBytes = qsizetype(4) << 20;
    // How long what still waits at the end is given to go.
    static constexpr std::chrono::seconds patienceAtEnd{3};

    // Throws nothing: nothing, with the reason in `why`, when it cannot be opened.
    static std::unique_ptr<RecordFile> open(const QString& path, Mode mode,
                                            std::chrono::milliseconds waitForReader, QString* why);
    // Standard output (on Linux, a pipe or a terminal through a description of its own, so that
    // it is written without waiting while the shell's stays as it was).
    static std::unique_ptr<RecordFile> standardOutput();
    ~RecordFile();
    RecordFile(const RecordFile&) = delete;
    RecordFile& operator=(const RecordFile&) = delete;

    // Takes the bytes in order after those still waiting: Whole when nothing failed so far.
    Written write(const QByteArray& bytes);
    // Gives what still waits `patience` to go; Failed when the reader did not take it all then.
    Written finish(std::chrono::milliseconds patience);
    // The system's reason for the failure.
    const QString& failure() const { return m_failure; }
    // Bytes waiting for a slow reader.
    qsizetype waiting() const { return m_waiting.size() - m_sent; }
    // Whether a reader that is slow is waited for (past `maxWaitingBytes`, and at `finish`).
    void setWaitsForReader(bool waits) { m_waitsForReader = waits; }

private:
    RecordFile(int fd, bool owned) : m_fd(fd), m_owned(owned) {}

    // The system's part. What the file takes now without waiting for its reader: a count (0:
    // the reader is slow), or -1 with the error.
    qsizetype writeNow(const char* bytes, qsizetype size, int* error) const;
    // Waits at most `patience` for the reader to make room.
    void waitForRoom(std::chrono::milliseconds patience) const;
    static QString systemReason(int error);

    Written sendWaiting();
    Written fail(Written how, const QString& why);

    int m_fd;
    bool m_owned;
    QByteArray m_waiting;
    qsizetype m_sent = 0; // of m_waiting, by the reader's last reads
    std::chrono::steady_clock::time_point m_lastTaken = std::chrono::steady_clock::now();
    Written m_state = Written::Whole;
    bool m_waitsForReader = false;
    QString m_failure;
};
