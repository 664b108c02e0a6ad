#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QString>
#include <QTimer>

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

// A pseudo-terminal pair for tests: the tool writes on one side, the test reads the other,
// raw, and notes when each chunk arrived.
class PseudoTerminal
{
public:
    struct Chunk {
        qint64 atMs;
        QByteArray bytes;
    };

    PseudoTerminal()
    {
        termios raw{};
        cfmakeraw(&raw);
        char name[256] = {};
        if (openpty(&m_master, &m_slave, name, &raw, nullptr) == 0) {
            m_slavePath = QString::fromLocal8Bit(name);
            ::fcntl(m_master, F_SETFL, O_NONBLOCK);
            // A program the test starts must not hold the test's ends of the line.
            ::fcntl(m_master, F_SETFD, FD_CLOEXEC);
            ::fcntl(m_slave, F_SETFD, FD_CLOEXEC);
        }
        m_clock.start();
        // Read as the bytes come (within a millisecond), so arrival times mean something.
        m_reading.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_reading, &QTimer::timeout, &m_reading, [this] { poll(); });
        m_reading.start(1);
    }
    ~PseudoTerminal()
    {
        closeMaster();
        closeSlave();
    }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    bool isValid() const { return m_master >= 0; }
    const QString& slavePath() const { return m_slavePath; }
    // The test keeps no slave open of its own, so the tool's is the only one.
    void closeSlave()
    {
        if (m_slave >= 0)
            ::close(m_slave);
        m_slave = -1;
    }
    // The other side goes away, as a pulled-out adapter would.
    void closeMaster()
    {
        if (m_master >= 0)
            ::close(m_master);
        m_master = -1;
    }

    // Reads what has arrived; returns everything read so far.
    const QByteArray& poll()
    {
        char buffer[4096];
        ssize_t count;
        while (m_master >= 0 && (count = ::read(m_master, buffer, sizeof buffer)) > 0) {
            m_chunks.append({m_clock.elapsed(), QByteArray(buffer, count)});
            m_all.append(buffer, count);
        }
        return m_all;
    }
    const QList<Chunk>& chunks() const { return m_chunks; }
    // When the byte at `offset` of everything read arrived.
    qint64 arrivalOf(qsizetype offset) const
    {
        qsizetype seen = 0;
        for (const Chunk& chunk : m_chunks) {
            seen += chunk.bytes.size();
            if (offset < seen)
                return chunk.atMs;
        }
        return -1;
    }
    qint64 nowMs() const { return m_clock.elapsed(); }

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
    QElapsedTimer m_clock;
    QTimer m_reading;
    QList<Chunk> m_chunks;
    QByteArray m_all;
};
