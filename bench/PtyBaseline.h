#pragma once

#include <QList>

#include <atomic>
#include <thread>

// The bare pseudo-terminal, measured beside the tool: a thread of the bench writes a byte on a
// pseudo-terminal of its own every 50 ms, and the reader loop that reads the tool's line reads
// it too. What the machine does to a byte written at its moment (a wake-up late, a reader held
// up) it does to both, so a late data string can be set beside what the bare line saw then.
class PtyBaseline
{
public:
    struct Sample {
        double writtenMs; // the byte's moment (monotonic clock)
        double delayMs;   // from that moment until the reader had it
    };

    static constexpr qint64 periodNs = 50'000'000;

    PtyBaseline();
    ~PtyBaseline();
    PtyBaseline(const PtyBaseline&) = delete;
    PtyBaseline& operator=(const PtyBaseline&) = delete;

    // -1 where no pseudo-terminal can be opened: nothing is measured then.
    int readingSide() const { return m_slave; }
    // To be called when the reading side is ready: takes in what arrived at `atMs`.
    void read(double atMs);
    // Stops the writer; the samples stay.
    void stop();

    const QList<Sample>& samples() const { return m_samples; }
    // The worst delay among the bytes written within `spanMs` of `atMs` (0 for none).
    double worstNear(double atMs, double spanMs) const;

private:
    int m_master = -1;
    int m_slave = -1;
    qint64 m_firstNs = 0;
    qint64 m_received = 0;
    std::atomic<bool> m_writing{false};
    std::thread m_writer;
    QList<Sample> m_samples;
};
