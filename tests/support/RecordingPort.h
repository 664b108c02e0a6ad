#pragma once

#include "core/Clock.h"
#include "core/SerialControl.h"
#include "core/SimulatorError.h"

#include <QByteArray>
#include <QList>

// A port that keeps every write with the time it was made, lets every tick through, and can be
// told to refuse.
class RecordingPort : public SerialControl
{
public:
    struct Write {
        qint64 atMs;
        QByteArray bytes;
    };

    explicit RecordingPort(const Clock& clock) : m_clock(clock) {}

    QList<Write> writes;
    QList<qint16> opened; // the port number of every open
    int closes = 0;
    int ticks = 0;
    QList<bool> tickEnds; // for each tick: whether it closed a data string
    bool refuseOpen = false;

    QByteArray allBytes() const
    {
        QByteArray all;
        for (const Write& write : writes)
            all += write.bytes;
        return all;
    }

    void failDevice(const QString& reason) { deviceFailed(reason); }

protected:
    void openDevice(qint16 port, const LineSettings&) override
    {
        if (refuseOpen)
            throw SimulatorError(
                ErrorKind::PortRefused,
                QStringLiteral("Cannot open Com Port %1: No such device").arg(port));
        opened.append(port);
    }
    void closeDevice() override { ++closes; }
    bool beginLineTick() override
    {
        ++ticks;
        return true;
    }
    void writeLine(const QByteArray& bytes) override { writes.append({m_clock.nowMs(), bytes}); }
    void endLineTick(bool closedDataString) noexcept override { tickEnds.append(closedDataString); }

private:
    const Clock& m_clock;
};
