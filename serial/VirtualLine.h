#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>

#include <memory>

// The built-in virtual line: a pseudo-terminal pair. The tool holds the master side and
// writes; a monitoring application (or `cat`) opens the slave side, or a symbolic link to it,
// as its serial port. The slave is set up raw at 9600 bit/s, 8 data bits, no parity, so that
// a reader that does not set the line up itself gets the bytes unchanged.
//
// Like a wire, the line never waits for its reader: bytes sent while nobody has the slave
// open, or while the reader lets its buffer fill up, are lost, and nothing piles up.
class VirtualLine
{
public:
    // Creates the pair, and the link to it when `link` is not empty (replacing an existing
    // link). Nothing, with `why` set, when the system has no pseudo-terminals.
    static std::unique_ptr<VirtualLine> create(const QString& link, QString* why);
    ~VirtualLine();
    VirtualLine(const VirtualLine&) = delete;
    VirtualLine& operator=(const VirtualLine&) = delete;

    const QString& path() const { return m_path; }
    const QString& link() const { return m_link; }

    // Hands the bytes to the reader, if there is one; never blocks. Whether there is one is
    // looked at every 50 ms at most (a reader that comes sees the line from then on).
    void send(const QByteArray& bytes);
    bool readerPresent() const;
    qint64 bytesLost() const { return m_lost; }

private:
    VirtualLine(int master, QString path, QString link);
    void discardInput();

    int m_master;
    QElapsedTimer m_clock;
    QString m_path;
    QString m_link;
    qint64 m_lost = 0;
    bool m_hadReader = false;
    qint64 m_lookedAtNs = -1;
};
