#pragma once

#include "core/Clock.h"
#include "core/SimulatorError.h"
#include "serial/SerialDevice.h"

#include <QByteArray>
#include <QList>

// An in-memory device: keeps every hand-over with its moment on the clock; can be told to
// refuse opening, or to vanish (as a pulled-out adapter) at its next hand-over.
class RecordingDevice : public SerialDevice
{
public:
    struct HandOver {
        qint64 atNs;
        QByteArray bytes;
    };

    explicit RecordingDevice(const Clock& clock) : m_clock(clock) {}

    QList<HandOver> handOvers;
    QList<qint16> opened;
    int closes = 0;
    bool refuseOpen = false;
    bool vanishes = false;
    QList<std::pair<qint64, bool>> breaks; // when the break went on (true) or off

    QByteArray bytes() const
    {
        QByteArray all;
        for (const HandOver& handOver : handOvers)
            all += handOver.bytes;
        return all;
    }
    // When the byte at `offset` of everything handed over was handed over.
    qint64 handedOverAt(qsizetype offset) const
    {
        for (const HandOver& handOver : handOvers) {
            if (offset < handOver.bytes.size())
                return handOver.atNs;
            offset -= handOver.bytes.size();
        }
        return -1;
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
    void deliver(const QByteArray& bytes) override
    {
        if (vanishes) {
            if (m_events)
                m_events->gone(QStringLiteral("%1 went away: Input/output error").arg(describe(1)));
            return;
        }
        handOvers.append({m_clock.now().count(), bytes});
    }
    void setBreak(bool on) override { breaks.append({m_clock.now().count(), on}); }
    bool sendsBreaks() const override { return true; }
    QString describe(qint16 port) const override
    {
        return QStringLiteral("Com Port %1 (recorder)").arg(port);
    }

private:
    const Clock& m_clock;
    Events* m_events = nullptr;
};
