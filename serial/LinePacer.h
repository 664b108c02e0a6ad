#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <deque>
#include <optional>

// A model of the wire: the bytes written to the line, each with the moment its start bit goes
// out. A UART sends one character after another at the line rate; a line written while the
// wire is busy waits for the bytes before it, one written while the wire is idle goes out at
// once. Times are nanoseconds on the caller's monotonic clock.
class LinePacer
{
public:
    enum class Release {
        Bytes,     // hand over each byte when its start bit is due (the virtual line)
        WholeLines // hand over a whole line when its first byte is due (a device: the UART
                   // paces the bytes itself)
    };

    LinePacer(double charactersPerSecond, Release release, qint64 leadNs = 0);

    // `opensDataString`: the line's first byte is to be handed over at its exact time, not
    // with the next batch.
    void append(const QByteArray& line, qint64 nowNs, bool opensDataString = false);
    // The bytes whose time has come by `nowNs`, in order, taken out of the queue.
    QByteArray takeDue(qint64 nowNs);
    // Everything still queued, at once (a device being closed: the UART finishes it).
    QByteArray takeAll();
    // When the next queued byte (or line) is due; nothing when the queue is empty.
    std::optional<qint64> nextDueNs() const;
    // When the next data string in the queue starts, if one is queued; a batch must not be
    // handed over late for it.
    std::optional<qint64> nextDataStringStartNs() const;
    // Leaves only the rest of the line being sent: a line is never cut short.
    void dropAfterCurrentLine();
    void clear();

    bool isEmpty() const { return m_queue.empty(); }
    qint64 queuedBytes() const { return m_queuedBytes; }
    // Characters the wire has not finished sending at `nowNs`, queued or handed over.
    qint64 backlogBytes(qint64 nowNs) const;
    double nsPerCharacter() const { return m_nsPerChar; }

private:
    struct Entry {
        QByteArray bytes;
        qint64 startNs; // start bit of bytes[0]
        bool opensDataString;
    };
    qint64 startOf(const Entry& entry, qsizetype index) const;

    double m_nsPerChar;
    Release m_release;
    qint64 m_leadNs;
    std::deque<Entry> m_queue;
    qsizetype m_headSent = 0; // bytes of the head entry already handed over
    qint64 m_queuedBytes = 0;
    qint64 m_idleAtNs = 0;      // when the wire has sent everything appended so far
    qint64 m_releasedEndNs = 0; // when the wire has sent everything handed over so far
};
