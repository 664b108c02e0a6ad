#pragma once

#include <QByteArray>
#include <QString>

#include <chrono>
#include <memory>

// Where the run's record goes (--log, or standard output for --trace), written so that the record
// never hides a failure and never hangs start-up:
// - a file named is opened without waiting on it: a FIFO is waited for a reader a few seconds
//   at most, then refused;
// - a write goes whole or fails, with the system's reason; one the system takes only in part
//   (a disk that fills up) fails too. A reader that has gone (a pipe closed by `head`) is told
//   apart from other failures.
class RecordFile
{
public:
    enum class Mode { Afresh, Append };
    enum class Written { Whole, Failed, ReaderGone };

    // Throws nothing: nothing, with the reason in `why`, when it cannot be opened.
    static std::unique_ptr<RecordFile> open(const QString& path, Mode mode,
                                            std::chrono::milliseconds waitForReader, QString* why);
    // Standard output, left open at the end.
    static std::unique_ptr<RecordFile> standardOutput();
    ~RecordFile();
    RecordFile(const RecordFile&) = delete;
    RecordFile& operator=(const RecordFile&) = delete;

    Written write(const QByteArray& bytes);
    // The system's reason for the last failed write.
    const QString& failure() const { return m_failure; }

private:
    RecordFile(int fd, bool owned) : m_fd(fd), m_owned(owned) {}

    int m_fd;
    bool m_owned;
    QString m_failure;
};
