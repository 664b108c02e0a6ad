#pragma once

#include "core/Form1.h"
#include "core/MapSettingsStore.h"
#include "core/Simulator.h"
#include "core/TimerFacility.h"
#include "core/VirtualClock.h"
#include "tests/support/RecordingLine.h"
#include "tests/support/RecordingReporter.h"

#include <QStringList>
#include <QTest>

// A whole simulator in virtual time: the clock, a port on a recording line, a setup in memory, the
// form and its handlers. Errors go to `reporter`, not to standard error.
struct SimulatorRig {
    // What arrived on the line during one tick: its time and its lines (without CR LF).
    struct Tick {
        qint64 atMs;
        QStringList lines;
        bool operator==(const Tick&) const = default;
    };

    VirtualClock clock;
    TimerFacility timers{clock};
    RecordingLine& line = *new RecordingLine(clock); // owned by the port
    SerialControl port{std::unique_ptr<SerialLine>(&line)};
    MapSettingsStore store;
    RecordingReporter reporter;
    Conversions rules{QLocale::c()};
    Form1 form{timers, port};
    Simulator simulator{form, store, timers, reporter, rules};

    void setSetup(const QString& kTrons, const QString& modbus, const QString& sixB,
                  const QString& relays, const QString& terminator = QStringLiteral("63536"))
    {
        setKey("NumKTron", kTrons);
        setKey("NumModbus", modbus);
        setKey("Num6B", sixB);
        setKey("NumRelay", relays);
        setKey("PLCTerminator", terminator);
    }
    void setKey(const char* key, const QString& text)
    {
        store.set(QStringLiteral("kelmarith"), QStringLiteral("setup"), QLatin1String(key), text);
    }

    // The writes grouped by the moment they were made. Every write must be one whole line.
    QList<Tick> ticks() const
    {
        QList<Tick> result;
        for (const RecordingLine::Write& write : line.writes) {
            if (result.isEmpty() || result.last().atMs != write.atMs)
                result.append(Tick{write.atMs, {}});
            QByteArray line = write.bytes;
            if (line.endsWith("\r\n"))
                line.chop(2);
            else
                line.prepend("<not a whole line>");
            result.last().lines.append(QString::fromLatin1(line));
        }
        return result;
    }
};

// Readable differences when two ticks differ.
inline char* toString(const SimulatorRig::Tick& tick)
{
    return QTest::toString(
        QStringLiteral("%1 ms: %2").arg(tick.atMs).arg(tick.lines.join(QLatin1Char(' '))));
}
