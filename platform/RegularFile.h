#pragma once

#include <QByteArray>
#include <QString>

// A file the program reads whole by name (a setup, a scenario script), read so that nothing the
// operator names can hang start-up or fill memory: only a regular file (symbolic links followed),
// opened without waiting and refused unread when it is a FIFO, a device or a directory, or when
// it is larger than the reader's limit.
struct RegularFile {
    enum class Result {
        Read,
        Absent,     // nothing at the path
        Directory,  // a directory
        NotRegular, // a FIFO, a device or a socket: `reason` says which
        TooLarge,   // more than the limit
        Unreadable, // `reason` says why, in the system's words
    };
    Result result = Result::Read;
    QByteArray contents;
    QString reason;

    static RegularFile read(const QString& path, qint64 limit);
    // Nothing read, for this result and reason.
    static RegularFile refused(Result result, const QString& reason = {});
    // "is a FIFO, not a regular file", "is larger than 1 MB", "cannot be read: Permission denied":
    // what a message says after the file's name, for any result but Read.
    QString whyNot(qint64 limit) const;
};
