#pragma once

#include "core/SerialControl.h"
#include "core/SimulatorError.h"
#include "core/TimerFacility.h"

#include <QByteArray>
#include <QList>

// A port that keeps every write with the time it was made, and can be told to refuse.
class RecordingPort : public SerialControl
{
public:
    struct Write {
        qint64 atMs;
        QByteArray bytes;
    };

    explicit RecordingPort(const TimerFacility& clock) : m_clock(clock) {}

    QList<Write> writes;
    QList<qint16> opened; // the port number of every open
    int closes = 0;
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
    void writeBytes(const QByteArray& bytes) override { writes.append({m_clock.nowMs(), bytes}); }

private:
    const TimerFacility& m_clock;
};
