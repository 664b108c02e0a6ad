#pragma once

#include "core/Clock.h"
#include "core/SerialLine.h"
#include "core/SimulatorError.h"

#include <QByteArray>
#include <QList>

// A line that keeps every write with the time it was made, lets every tick through (or gives
// every data string the fate it is told), and can be told to refuse opening or to give out.
class RecordingLine final : public SerialLine
{
public:
    struct Write {
        qint64 atMs;
        QByteArray bytes;
    };

    explicit RecordingLine(const Clock& clock) : m_clock(clock) {}

    QList<Write> writes;
    QList<qint16> opened; // the port number of every open
    int closes = 0;
    int ticks = 0;
    QList<bool> tickEnds; // for each tick: whether it ended a data string
    bool refuseOpen = false;
    struct Hold {
        qint64 atMs, spanMs;
        bool breakCondition;
    };
    QList<Hold> holds;
    Delivery delivery = Delivery::Sent; // what becomes of every data string

    QByteArray allBytes() const
    {
        QByteArray all;
        for (const Write& write : writes)
            all += write.bytes;
        return all;
    }

    // The line gives out as a pulled-out adapter does: it closes itself, then says so.
    void giveOut(const QString& reason)
    {
        if (Events* events = std::exchange(m_events, nullptr))
            events->gaveOut(reason);
    }

    void open(qint16 port, const LineSettings&, Events& events) override
    {
        if (refuseOpen)
            throw SimulatorError(
                ErrorKind::PortRefused,
                QStringLiteral("Cannot open %1: No such device").arg(describe(port)));
        opened.append(port);
        m_events = &events;
    }
    void close() override
    {
        ++closes;
        m_events = nullptr;
    }
    Delivery beginTick(bool /*opensDataString*/) override
    {
        ++ticks;
        return delivery;
    }
    void write(const QByteArray& bytes) override
    {
        writes.append({m_clock.nowMs().count(), bytes});
    }
    void holdBack(std::chrono::milliseconds span, bool breakCondition) override
    {
        holds.append({m_clock.nowMs().count(), span.count(), breakCondition});
    }
    bool sendsBreaks() const override { return false; }
    void endTick(bool endsDataString) noexcept override { tickEnds.append(endsDataString); }
    QString describe(qint16 port) const override { return QStringLiteral("Com Port %1").arg(port); }

private:
    const Clock& m_clock;
    Events* m_events = nullptr;
};
