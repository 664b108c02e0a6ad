#pragma once

#include <QString>
#include <QtGlobal>

#include <chrono>
#include <deque>
#include <optional>
#include <utility>

// Decides, tick by tick, what goes on a line that may not carry everything the transmitters
// produce (200 points a page at short gaps is several times the 960 characters a second of
// 9600,N,8,1). The unit is the data string: it goes on the line whole, or it is left out
// whole, so the receiver never sees a torn data string and a line is never cut.
//
// The decision is taken at the tick that opens a data string (the core says which tick that
// is, and which ends it): the data string goes on the line when the line is sending at most the
// data string let through before it (a hand-over puts two data strings a page gap apart, and
// the second waits for the first as on any line), with a tolerance of 20 ms of line time;
// otherwise it is left out, with every tick that continues it up to its end. So a data string
// that goes is late by at most the line time of the one before it, and what waits for the line
// is at most two data strings.
class DataStringGate
{
public:
    explicit DataStringGate(double charactersPerSecond);

    // A tick begins, opening a data string or going on with the one under way, with the
    // characters the line still has to send. Returns whether this tick's lines go on the line.
    bool beginTick(bool opensDataString, qint64 backlogBytes, std::chrono::milliseconds now);
    // Bytes the tick produced, sent or not.
    void produced(qint64 bytes)
    {
        m_dataStringBytes += bytes;
        m_producedBytes += bytes;
    }

    // The one notice of a run, when a data string is first left out with the transmitters
    // producing more than the line carries (over about the last ten seconds); taken once.
    std::optional<QString> takeNotice();

    qint64 dataStringsLeftOut() const { return m_leftOut; }
    // The bytes of the data string before the one under way, sent or not.
    qint64 lastDataStringBytes() const { return m_lastDataStringBytes; }

private:
    void leaveOut(std::chrono::milliseconds now);
    void noteOpening(std::chrono::milliseconds now);

    double m_charactersPerSecond;
    qint64 m_idleTolerance;

    bool m_dataStringLetThrough = false;
    qint64 m_dataStringBytes = 0;
    qint64 m_lastDataStringBytes = 0;
    qint64 m_lastLetThroughBytes = 0; // the data string before this one, if it went

    qint64 m_producedBytes = 0; // by the run's ticks so far
    // Openings of data strings, with the bytes produced before each, over the last ten seconds.
    std::deque<std::pair<std::chrono::milliseconds, qint64>> m_openings;
    qint64 m_leftOut = 0;
    bool m_noticeGiven = false;
    std::optional<QString> m_notice;
};
