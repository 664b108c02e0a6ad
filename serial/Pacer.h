#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <chrono>
#include <deque>
#include <optional>

// A model of the wire, and the hand-over of its bytes to the device. Every byte written to the
// line has the moment its start bit goes out: a UART sends one character after another at the
// line rate, so a line written while the wire is busy waits for the bytes before it, and one
// written while the wire is idle goes out at once. How the bytes are handed to the device is
// each pacer's own (BytePacer, UartPacer). Times are on the line's clock.
class Pacer
{
public:
    using Ns = std::chrono::nanoseconds;

    explicit Pacer(double charactersPerSecond);
    virtual ~Pacer() = default;

    // `opensDataString`: the line's first byte is to be handed over at its exact time, not with
    // the next batch.
    void append(const QByteArray& line, Ns now, bool opensDataString);
    // The next line appended starts `span` after the wire is free (at `now`, or when what is
    // queued is out), and the rest of its data string keeps its shape: each later line starts
    // `span` after it was appended at the earliest, so a second page keeps its page gap. Returns
    // when the held span begins.
    Ns holdBack(Ns now, Ns span);
    // The bytes to hand to the device by `now`, in order, taken out of the queue.
    virtual QByteArray takeDue(Ns now) = 0;
    // When the device is to be handed bytes next; nothing when nothing waits. Bytes are handed
    // over a few at a time, 16 ms apart at the closest, as a UART's receive FIFO or a USB
    // adapter's latency timer hands them to a reader; a data string's start comes on time all
    // the same.
    std::optional<Ns> nextHandOver(Ns now) const;

    // When the next byte is overdue by more than 100 ms (the program was stopped, or the machine
    // stalled), the wire takes up from now: what waits goes at the line rate, not at once, and a
    // line appended after it follows it at once.
    void resumeIfStalled(Ns now);
    // Leaves only the rest of the line being sent: a line is never cut short.
    void dropAfterCurrentLine();
    // Everything still queued, at once.
    QByteArray takeAll();
    void clear();

    bool isEmpty() const { return m_queue.empty(); }
    qint64 queuedBytes() const { return m_queuedBytes; }
    // Characters the wire has not finished sending at `now`, queued or handed over.
    qint64 backlogBytes(Ns now) const;

protected:
    // When the next hand-over is due, before batching.
    virtual std::optional<Ns> nextDue() const = 0;

    // Character times since the start bit of the head line's first byte, at `now`.
    double charactersSinceHeadStart(Ns now) const;
    // The start bit of byte `index` of the line at the head of the queue.
    Ns headStartOf(qsizetype index) const;
    qsizetype headSize() const { return m_queue.front().bytes.size(); }
    // Bytes of the head line already handed over.
    qsizetype headSent() const { return m_headSent; }
    // Hands over the head line's next `count` bytes; the line leaves the queue with its last.
    QByteArray releaseHead(qsizetype count);

private:
    struct Entry {
        QByteArray bytes;
        Ns start; // start bit of bytes[0]
        bool opensDataString;
    };
    Ns startOf(const Entry& entry, qsizetype index) const;
    // When the next queued data string starts, if one is queued whole.
    std::optional<Ns> nextDataStringStart() const;
    // How overdue the next byte is at `now`, when by more than 100 ms; 0 otherwise.
    Ns stalledBy(Ns now) const;

    std::chrono::duration<double, std::nano> m_characterTime;
    std::deque<Entry> m_queue;
    qsizetype m_headSent = 0;
    qint64 m_queuedBytes = 0;
    Ns m_idleAt{0};           // when the wire has sent everything appended so far
    Ns m_releasedEnd{0};      // when the wire has sent everything handed over so far
    Ns m_heldBy{0};           // how far the data string under way has been held back
    bool m_holdOpens = false; // the next line appended opens the held-back data string
};
