// The serial write path in virtual time: when each byte is handed to the device, which data
// strings go, and what happens when the device goes away, to the nanosecond and the byte.
#include "core/Form1.h"
#include "core/LineFaults.h"
#include "core/MapSettingsStore.h"
#include "core/SerialControl.h"
#include "core/Simulator.h"
#include "core/TimerFacility.h"
#include "core/VirtualClock.h"
#include "serial/BytePacer.h"
#include "serial/DataStringGate.h"
#include "serial/PacedLine.h"
#include "serial/PortMap.h"
#include "serial/UartPacer.h"
#include "tests/support/RecordingDevice.h"
#include "tests/support/RecordingReporter.h"
#include "tests/support/TickListener.h"
#include "tests/support/TickWriter.h"

#include <QTest>

#include <cmath>

using namespace std::chrono_literals;

namespace
{
constexpr double cps = 960.0; // 9600,N,8,1
constexpr qint64 ms = 1'000'000;
constexpr qint64 charNs = 1'041'667; // 1e9 / 960, rounded
using Ns = std::chrono::nanoseconds;
// The start of character k of a run that starts at 0.
qint64 at(qint64 k)
{
    return std::llround(double(k) * 1e9 / cps);
}

const QByteArray dataString = "1\r\n2\r\n3\r\n0\r\n1\r\n63536\r\n"; // 22 bytes

template <typename P> std::unique_ptr<Pacer> pacer(double charactersPerSecond)
{
    return std::make_unique<P>(charactersPerSecond);
}

// A port on an in-memory device, in virtual time.
template <typename P> struct LineRig {
    VirtualClock clock;
    RecordingReporter reporter;
    RecordingDevice* device = new RecordingDevice(clock);
    PacedLine& line = *new PacedLine(clock, std::unique_ptr<SerialDevice>(device), &pacer<P>,
                                     reporter); // owned by the port
    SerialControl port{std::unique_ptr<SerialLine>(&line)};

    void open()
    {
        port.setCommPort(1);
        port.setSettings(QStringLiteral("9600,N,8,1"));
        port.setPortOpen(true);
    }
    void tick(const QByteArray& bytes, bool closing = true) { writeTick(port, bytes, closing); }
    QList<qint64> handOverTimes() const
    {
        QList<qint64> times;
        for (const RecordingDevice::HandOver& handOver : device->handOvers)
            times.append(handOver.atNs);
        return times;
    }
};

// The whole simulator on an in-memory device in virtual time, as the program runs it.
template <typename P> struct SimulatorOn {
    VirtualClock clock;
    TimerFacility timers{clock};
    RecordingReporter reporter;
    RecordingDevice* device = new RecordingDevice(clock);
    PacedLine& line = *new PacedLine(clock, std::unique_ptr<SerialDevice>(device), &pacer<P>,
                                     reporter); // owned by the port
    SerialControl port{std::unique_ptr<SerialLine>(&line)};
    MapSettingsStore store;
    Conversions rules{QLocale::c()};
    Form1 form{timers, port};
    Simulator simulator{form, store, timers, reporter, rules};
    QList<TickRecord> ticks;
    QStringList tickTimes; // "Timer4 1000", due time; "Timer4 3000 at 4100" for a late tick
    TickListener listener{[this](std::chrono::milliseconds sinceStart, const TimerRole& timer,
                                 const TickRecord& tick) {
        ticks.append(tick);
        QString time = QStringLiteral("%1 %2").arg(timer.name()).arg(sinceStart.count());
        if (clock.nowMs() != sinceStart) // times are since Start, which was at 0
            time += QStringLiteral(" at %1").arg(clock.nowMs().count());
        tickTimes.append(time);
    }};

    LineFaults faults{1};

    SimulatorOn()
    {
        simulator.addObserver(&listener);
        port.setFaults(&faults);
    }
};
using SimulatorOnLine = SimulatorOn<BytePacer>;

// The bytes handed to the device from `fromMs` on, before `toMs`, each with its moment.
QList<std::pair<qint64, char>> wire(const RecordingDevice& device, qint64 fromMs, qint64 toMs)
{
    QList<std::pair<qint64, char>> bytes;
    for (const RecordingDevice::HandOver& handOver : device.handOvers)
        if (handOver.atNs >= fromMs * ms && handOver.atNs < toMs * ms)
            for (const char byte : handOver.bytes)
                bytes.append({handOver.atNs, byte});
    return bytes;
}

QByteArray bytesOf(const QList<std::pair<qint64, char>>& wire)
{
    QByteArray bytes;
    for (const auto& [at, byte] : wire)
        bytes += byte;
    return bytes;
}

// The device's bytes cut into data strings, each up to and including its terminator line, with
// the moment its first byte was handed over.
struct Received {
    qint64 atNs;
    QByteArray bytes;
};
QList<Received> dataStrings(const RecordingDevice& device, const QByteArray& terminatorLine)
{
    QList<Received> strings;
    const QByteArray all = device.bytes();
    qsizetype start = 0;
    for (qsizetype end; (end = all.indexOf(terminatorLine, start)) >= 0;) {
        end += terminatorLine.size();
        strings.append({device.handedOverAt(start), all.mid(start, end - start)});
        start = end;
    }
    if (start < all.size()) // one that Stop ended: its line on the wire finished, nothing after
        strings.append({device.handedOverAt(start), all.mid(start)});
    return strings;
}
} // namespace

class LinePacingTest : public QObject
{
    Q_OBJECT
    // `pages` 2: two pages 50 ms apart, the fault armed for the data string at 1500 ms (the
    // first after Start is a closing page alone); `secondPageNs` when its second page's first
    // byte is handed over.
    template <typename P>
    static void checkFault(const QString& fault, const QByteArray& sent, qint64 firstHandOverNs,
                           int pages, qint64 secondPageNs)
    {
        const qint64 at = pages == 2 ? 1500 : 1000; // the faulted data string's moment
        const qsizetype tick = pages == 2 ? 1 : 0;  // its first tick
        const auto run = [&](const QString& fault, SimulatorOn<P>& rig) {
            rig.form.Text1.setText(QStringLiteral("3"));
            rig.form.Text2.setText(QStringLiteral("50"));
            rig.form.Text4.setText(QString::number(pages));
            rig.form.Text6.setText(QStringLiteral("1"));
            QVERIFY(rig.simulator.Command1_Click());
            rig.clock.advanceTo(std::chrono::milliseconds(at - 100));
            if (!fault.isEmpty())
                rig.faults.arm(LineFault::parse(fault));
            rig.clock.advanceTo(4200ms);
        };
        SimulatorOn<P> clean, faulted;
        run(QString(), clean);
        run(fault, faulted);
        const QByteArray cleanBytes = bytesOf(wire(*clean.device, at, at + 500));
        const QList<std::pair<qint64, char>> string = wire(*faulted.device, at, at + 500);
        const QByteArray bytes = bytesOf(string);
        if (!sent.isEmpty()) {
            QCOMPARE(bytes, sent);
        } else if (fault == QLatin1String("cut")) { // stops inside a line, nothing after
            QVERIFY(cleanBytes.startsWith(bytes) && !bytes.isEmpty() && !bytes.endsWith("\r\n"));
        } else if (fault.startsWith(QLatin1String("garble"))) { // one byte of line 5 changed
            QCOMPARE(bytes.size(), cleanBytes.size());
            QCOMPARE(bytes.left(12), cleanBytes.left(12));
            QCOMPARE(bytes.mid(17), cleanBytes.mid(17));
            int changed = 0;
            for (qsizetype i = 12; i < 17; ++i)
                changed += bytes[i] != cleanBytes[i] ? 1 : 0;
            QCOMPARE(changed, 1);
        } else { // noise: five bytes, then the string
            QCOMPARE(bytes.size(), cleanBytes.size() + 5);
            QCOMPARE(bytes.mid(5), cleanBytes);
        }
        QCOMPARE(string.value(0).first, firstHandOverNs);
        if (pages == 2) // after the first page's 9 bytes
            QCOMPARE(string.value(9).first, secondPageNs);
        QCOMPARE(faulted.device->breaks,
                 (fault.startsWith(QLatin1String("break"))
                      ? QList<std::pair<qint64, bool>>{{at * ms, true}, {(at + 50) * ms, false}}
                      : QList<std::pair<qint64, bool>>{}));
        QVERIFY(wire(*faulted.device, at + 400, 4200) == wire(*clean.device, at + 400, 4200));
        QCOMPARE(faulted.ticks.size(), pages == 2 ? 11 : 7); // by 4200 ms
        QCOMPARE(faulted.ticks[tick].fault, fault.section(QLatin1Char(' '), 0, 0));
        QCOMPARE(faulted.ticks[tick].bytes + (pages == 2 ? faulted.ticks[tick + 1].bytes : 0),
                 bytes.size());
        QVERIFY(faulted.ticks[tick + pages].fault.isEmpty());
    }

private slots:
    void bytesGoOneCharacterTimeApart()
    {
        BytePacer pacer(cps);
        pacer.append("42\r\n", Ns(0), true);
        QCOMPARE(pacer.takeDue(Ns(0)), QByteArray("4"));
        QCOMPARE(pacer.takeDue(Ns(charNs - 1)), QByteArray());
        QCOMPARE(pacer.takeDue(Ns(charNs)), QByteArray("2"));
        QCOMPARE(pacer.takeDue(Ns(10 * ms)), QByteArray("\r\n"));
        QVERIFY(pacer.isEmpty());
        QCOMPARE(pacer.nextHandOver(Ns(10 * ms)), std::nullopt);
    }

    void aLineWrittenWhileTheWireIsBusyFollowsTheOneBefore()
    {
        BytePacer pacer(cps);
        pacer.append("1\r\n", Ns(0), true);
        pacer.append("2\r\n", Ns(1 * ms), false); // the wire still has two characters to send
        QCOMPARE(pacer.queuedBytes(), 6);
        QCOMPARE(pacer.backlogBytes(Ns(1 * ms)), 6); // 0.96 characters sent, six still owed
        QCOMPARE(pacer.takeDue(Ns(at(3) - 1)), QByteArray("1\r\n"));
        QCOMPARE(pacer.takeDue(Ns(6 * charNs)), QByteArray("2\r\n"));
        QCOMPARE(pacer.backlogBytes(Ns(6 * charNs)), 0);
        pacer.append("7\r\n", Ns(500 * ms), true); // on an idle wire: at once
        QCOMPARE(pacer.backlogBytes(Ns(500 * ms)), 3);
        QCOMPARE(pacer.takeDue(Ns(500 * ms)), QByteArray("7"));
    }

    // Bytes go to the device a few at a time, 16 ms apart, except that a data string's first
    // byte is handed over at its exact time.
    void handOversAreBatchedButDataStringsStartOnTime()
    {
        BytePacer pacer(cps);
        pacer.append("1\r\n2\r\n", Ns(0), true);
        QCOMPARE(pacer.takeDue(Ns(0)), QByteArray("1"));
        QCOMPARE(pacer.nextHandOver(Ns(0)), std::optional<Ns>(Ns(16 * ms)));
        pacer.append("63536\r\n", Ns(0), true); // starts at character 6, 6.25 ms
        QCOMPARE(pacer.nextHandOver(Ns(0)), std::optional<Ns>(Ns(at(6))));
        QCOMPARE(pacer.takeDue(Ns(at(6))), QByteArray("\r\n2\r\n6"));
        QCOMPARE(pacer.nextHandOver(Ns(at(6))), std::optional<Ns>(Ns(at(6) + 16 * ms)));
    }

    void aUartIsHandedWholeLinesALeadAheadOfTheirTime()
    {
        UartPacer pacer(cps);
        pacer.append("12345678901234567890123456789\r\n", Ns(0), true); // 31 characters, 32.3 ms
        pacer.append("2\r\n", Ns(0), false);
        QCOMPARE(pacer.takeDue(Ns(0)), QByteArray("12345678901234567890123456789\r\n"));
        // The next line starts at 31 character times; it is handed over 20 ms before.
        const qint64 next = at(31);
        QCOMPARE(pacer.takeDue(Ns(next - UartPacer::lead.count() - 1)), QByteArray());
        QCOMPARE(pacer.takeDue(Ns(next - UartPacer::lead.count())), QByteArray("2\r\n"));
        QCOMPARE(pacer.backlogBytes(Ns(next)), 3); // still the UART's to send
    }

    void stopKeepsOnlyTheRestOfTheLineInProgress()
    {
        BytePacer bytes(cps);
        bytes.append("123\r\n", Ns(0), true);
        bytes.append("4\r\n", Ns(0), false);
        QCOMPARE(bytes.takeDue(Ns(charNs)), QByteArray("12"));
        bytes.dropAfterCurrentLine();
        QCOMPARE(bytes.queuedBytes(), 3);
        QCOMPARE(bytes.takeAll(), QByteArray("3\r\n"));
        // Between lines nothing is kept.
        bytes.append("5\r\n", Ns(100 * ms), true);
        bytes.append("6\r\n", Ns(100 * ms), false);
        QCOMPARE(bytes.takeDue(Ns(100 * ms + 2 * charNs)), QByteArray("5\r\n"));
        bytes.dropAfterCurrentLine();
        QVERIFY(bytes.isEmpty());
        // A UART has every line it was handed: nothing queued is its.
        UartPacer uart(cps);
        uart.append("1\r\n", Ns(0), true);
        uart.append(QByteArray(40, '2') + "\r\n", Ns(0), false);
        uart.append("3\r\n", Ns(0), false);
        QCOMPARE(uart.takeDue(Ns(0)), QByteArray("1\r\n") + QByteArray(40, '2') + "\r\n");
        uart.dropAfterCurrentLine();
        QVERIFY(uart.isEmpty());
        QCOMPARE(uart.backlogBytes(Ns(0)), 45); // the wire finishes what the UART holds
    }

    // Each row: a run of ticks, each with the backlog the line has when it begins, its byte
    // count and whether it closes a data string; and which ticks go on the line.
    void gateDecides_data()
    {
        QTest::addColumn<QList<qint64>>("backlogs");
        QTest::addColumn<QList<qint64>>("sizes");
        QTest::addColumn<QList<bool>>("closes");
        QTest::addColumn<QList<bool>>("letThrough");
        QTest::addColumn<qint64>("leftOut");

        QTest::newRow("idle line: every one-page data string goes")
            << QList<qint64>{0, 0, 0} << QList<qint64>{121, 121, 121}
            << QList<bool>{true, true, true} << QList<bool>{true, true, true} << qint64(0);
        // A hand-over: the second data string waits for the first, as on any line.
        QTest::newRow("one data string ahead: it waits its turn")
            << QList<qint64>{0, 111, 0} << QList<qint64>{121, 130, 121}
            << QList<bool>{true, true, true} << QList<bool>{true, true, true} << qint64(0);
        QTest::newRow("two data strings ahead: it is left out")
            << QList<qint64>{0, 440, 1284, 804} << QList<qint64>{902, 902, 902, 902}
            << QList<bool>{true, true, true, true} << QList<bool>{true, true, false, true}
            << qint64(1);
        QTest::newRow("a 20 ms tolerance (19 characters)")
            << QList<qint64>{0, 921, 922} << QList<qint64>{902, 902, 902}
            << QList<bool>{true, true, true} << QList<bool>{true, true, false} << qint64(1);
        // Two-page: page-only tick, closing tick. The closing tick follows its data string
        // whatever the backlog, so neither a page nor a terminator goes alone.
        QTest::newRow("two pages: a data string goes or stays whole")
            << QList<qint64>{0, 880, 1900, 0, 0, 900} << QList<qint64>{892, 902, 892, 902, 892, 902}
            << QList<bool>{false, true, false, true, false, true}
            << QList<bool>{true, true, false, false, true, true} << qint64(1);
    }

    void gateDecides()
    {
        QFETCH(QList<qint64>, backlogs);
        QFETCH(QList<qint64>, sizes);
        QFETCH(QList<bool>, closes);
        QFETCH(QList<bool>, letThrough);
        QFETCH(qint64, leftOut);
        DataStringGate gate(cps);
        for (qsizetype i = 0; i < backlogs.size(); ++i) {
            const bool opens = i == 0 || closes[i - 1];
            QCOMPARE(gate.beginTick(opens, backlogs[i], std::chrono::milliseconds(1000 + 500 * i)),
                     letThrough[i]);
            gate.produced(sizes[i]);
        }
        QCOMPARE(gate.dataStringsLeftOut(), leftOut);
    }

    void theOperatorIsToldOnceWithTheFigures()
    {
        DataStringGate gate(cps);
        gate.beginTick(true, 0, 1000ms);
        gate.produced(902);
        QCOMPARE(gate.takeNotice(), std::nullopt);
        QVERIFY(!gate.beginTick(true, 1000, 1500ms));
        gate.produced(902);
        QCOMPARE(gate.takeNotice(),
                 QStringLiteral("the line cannot keep up: the transmitters produce 1804 bytes per "
                                "second (902 bytes in 500 ms), the line carries 960 bytes per "
                                "second; data strings that do not fit are left out whole"));
        QVERIFY(!gate.beginTick(true, 1000, 2000ms));
        QCOMPARE(gate.takeNotice(), std::nullopt);
        QCOMPARE(gate.dataStringsLeftOut(), 2);
        DataStringGate nextRun(cps); // a new run is told again
        nextRun.beginTick(true, 0, 1000ms);
        nextRun.produced(902);
        QVERIFY(!nextRun.beginTick(true, 1000, 1500ms));
        QVERIFY(nextRun.takeNotice().has_value());
    }

    // A data string held back ten minutes by a fault: those after it are left out while the
    // line is held, and that is no overload.
    void aLineHeldBackIsNoOverload()
    {
        SimulatorOnLine rig;
        QVERIFY(rig.simulator.Command1_Click());
        rig.faults.arm(LineFault::parse(QStringLiteral("delay 600000")));
        rig.clock.advanceTo(20s);
        QCOMPARE(rig.line.dataStringsLeftOut(), 38); // all 39 but the held one
        QVERIFY(rig.reporter.notices.isEmpty());
    }

    void portNumbersNameDevices_data()
    {
        QTest::addColumn<QList<std::pair<int, QString>>>("mappings");
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("device");
        using Mappings = QList<std::pair<int, QString>>;
        QTest::newRow("default 1") << Mappings{} << 1 << QStringLiteral("/dev/ttyS0");
        QTest::newRow("default 8") << Mappings{} << 8 << QStringLiteral("/dev/ttyS7");
        QTest::newRow("mapped") << Mappings{{3, "/dev/ttyUSB0"}} << 3
                                << QStringLiteral("/dev/ttyUSB0");
        QTest::newRow("others stay")
            << Mappings{{3, "/dev/ttyUSB0"}} << 2 << QStringLiteral("/dev/ttyS1");
        QTest::newRow("last wins") << Mappings{{1, "/a"}, {1, "/b"}} << 1 << QStringLiteral("/b");
    }

    void portNumbersNameDevices()
    {
        using Mappings = QList<std::pair<int, QString>>;
        QFETCH(Mappings, mappings);
        QFETCH(int, port);
        QFETCH(QString, device);
        PortMap map;
        for (const auto& [number, path] : mappings)
            map.map(qint16(number), path);
        QCOMPARE(map.devicePath(qint16(port)), device);
    }

    // The virtual line's hand-overs: the first byte inside the write, the rest 16 ms apart, and
    // a data string written while the wire is busy handed over the moment its first byte is due.
    void virtualLineHandOversInVirtualTime()
    {
        LineRig<BytePacer> rig;
        rig.open();
        rig.tick(dataString);
        rig.clock.advanceTo(20ms);
        rig.tick(dataString); // the wire is busy until 22.917 ms
        rig.clock.advanceTo(1s);
        QCOMPARE(rig.device->bytes(), dataString + dataString);
        // A write hands over what is due by then, too.
        QCOMPARE(rig.handOverTimes(),
                 (QList<qint64>{0, 16 * ms, 20 * ms, at(22), at(22) + 16 * ms, at(22) + 32 * ms}));
        QCOMPARE(rig.device->handOvers[0].bytes, QByteArray("1"));
        QCOMPARE(rig.device->handOvers[1].bytes, QByteArray("\r\n2\r\n3\r\n0\r\n1\r\n6"));
        QCOMPARE(rig.device->handOvers[2].bytes, QByteArray("3536"));
        QCOMPARE(rig.device->handOvers[3].bytes, QByteArray("\r\n1"));
        // No byte before its start bit, none more than 16 ms after it.
        for (qsizetype k = 0; k < 44; ++k) {
            const qint64 handed = rig.device->handedOverAt(k);
            QVERIFY2(handed >= at(k) && handed <= at(k) + 16 * ms, qPrintable(QString::number(k)));
        }
        QCOMPARE(rig.line.feed().queuedBytes(), 0);
    }

    void aUartDeviceIsHandedLinesAheadOfTheWire()
    {
        LineRig<UartPacer> rig;
        rig.open();
        const QByteArray page = QByteArray(40, '5') + "\r\n"; // 42 characters, 43.75 ms
        rig.tick(page + page + page);
        rig.clock.advanceTo(1s);
        QCOMPARE(rig.device->bytes(), page + page + page);
        // Line 2 starts at 43.75 ms and is handed over 20 ms before, at the first hand-over
        // 16 ms apart from the last; line 3 likewise.
        QCOMPARE(rig.handOverTimes(), (QList<qint64>{0, at(42) - 20 * ms, at(84) - 20 * ms}));
    }

    void stopOnTheVirtualLineFinishesTheLineOnTheWire()
    {
        LineRig<BytePacer> rig;
        rig.open();
        const QByteArray longLine = QByteArray(40, '7') + "\r\n";
        rig.tick(longLine + "8\r\n");
        rig.clock.advanceTo(10ms);
        rig.port.setPortOpen(false);
        QCOMPARE(rig.device->closes, 1);
        rig.clock.advanceTo(1s);
        QCOMPARE(rig.device->bytes(), longLine);
        // The rest of the line, in batches 16 ms apart from the Stop.
        QCOMPARE(rig.handOverTimes(), (QList<qint64>{0, 26 * ms, 42 * ms, 58 * ms}));
        // Start again: the next run starts on an idle wire.
        rig.open();
        rig.tick(dataString);
        QCOMPARE(rig.handOverTimes().last(), 1000 * ms);
    }

    // 200 points a page, two pages, a page gap of 1 ms: three times what the line carries, for
    // ten virtual minutes. Whole data strings go or stay; the line never carries more than its
    // rate; what waits stays bounded; the operator is told once.
    // Each fault on the data string at 1000 ms (19 bytes, on the line till 1020 ms): its bytes
    // as the fault makes them, and from 1500 ms on every byte at its moment as in a clean run.
    void aFaultBreaksItsDataStringAlone_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QByteArray>("sent"); // empty: checked by the kind's own rule below
        QTest::addColumn<qint64>("startMs");
        QTest::addColumn<int>("pages");
        QTest::addColumn<qint64>("secondPageMs"); // its moment on the wire, two pages 50 ms apart
        const QByteArray clean = "1\r\n2\r\n3\r\n0\r\n63536\r\n";
        QTest::newRow("none") << QString() << clean << qint64(1000) << 1 << qint64(0);
        QTest::newRow("cut") << "cut" << QByteArray() << qint64(1000) << 1 << qint64(0);
        QTest::newRow("drop-line") << "drop-line 2" << QByteArray("1\r\n3\r\n0\r\n63536\r\n")
                                   << qint64(1000) << 1 << qint64(0);
        QTest::newRow("garble") << "garble 5" << QByteArray() << qint64(1000) << 1 << qint64(0);
        QTest::newRow("no-terminator") << "no-terminator" << QByteArray("1\r\n2\r\n3\r\n0\r\n")
                                       << qint64(1000) << 1 << qint64(0);
        QTest::newRow("extra-line")
            << "extra-line \"A B\"" << clean.left(12) + "A B\r\n" + clean.mid(12) << qint64(1000)
            << 1 << qint64(0);
        QTest::newRow("wrong-terminator") << "wrong-terminator END" << clean.left(12) + "END\r\n"
                                          << qint64(1000) << 1 << qint64(0);
        QTest::newRow("delay") << "delay 300" << clean << qint64(1300) << 1 << qint64(0);
        QTest::newRow("noise") << "noise 5" << QByteArray() << qint64(1000) << 1 << qint64(0);
        QTest::newRow("break") << "break 50" << clean << qint64(1050) << 1 << qint64(0);
        QTest::newRow("line beyond the string")
            << "garble 9" << clean << qint64(1000) << 1 << qint64(0);
        // Two pages: the whole data string moves, its page gap kept.
        const QByteArray twoPages = "1\r\n2\r\n3\r\n" + clean;
        QTest::newRow("none, two pages")
            << QString() << twoPages << qint64(1500) << 2 << qint64(1550);
        QTest::newRow("delay, two pages")
            << "delay 300" << twoPages << qint64(1800) << 2 << qint64(1850);
        QTest::newRow("break, two pages")
            << "break 50" << twoPages << qint64(1550) << 2 << qint64(1600);
    }

    void aFaultBreaksItsDataStringAlone()
    {
        QFETCH(QString, fault);
        QFETCH(QByteArray, sent);
        QFETCH(qint64, startMs);
        QFETCH(int, pages);
        QFETCH(qint64, secondPageMs);
        checkFault<BytePacer>(fault, sent, startMs * ms, pages, secondPageMs * ms);
        // A UART is handed a line that waits 20 ms ahead of its time, but never into a break.
        const bool holds =
            fault.startsWith(QLatin1String("delay")) || fault.startsWith(QLatin1String("break"));
        const qint64 lead = fault.startsWith(QLatin1String("delay")) ? 20 * ms : 0;
        checkFault<UartPacer>(fault, sent, startMs * ms - lead, pages,
                              secondPageMs * ms - (holds ? 20 * ms : 0));
    }

    void anOverloadedLineLeavesOutWholeDataStrings()
    {
        SimulatorOnLine rig;
        rig.form.Text1.setText(QStringLiteral("200"));
        rig.form.Text2.setText(QStringLiteral("1"));
        rig.form.Text4.setText(QStringLiteral("2"));
        QVERIFY(rig.simulator.Command1_Click());
        qint64 mostQueued = 0;
        for (qint64 t = 0; t < 600'000; t += 100) {
            rig.clock.advanceTo(std::chrono::milliseconds(t));
            mostQueued = std::max(mostQueued, rig.line.feed().queuedBytes());
        }
        // The transmitters stop, the port stays open: the line carries what waits.
        for (int timer = 1; timer <= 6; ++timer)
            rig.form.timer(timer).setEnabled(false);
        rig.clock.advanceTo(610s);
        QCOMPARE(rig.line.feed().queuedBytes(), 0);

        QByteArray first, second;
        for (int i = 1; i <= 200; ++i) {
            first += QByteArray::number(i) + "\r\n";
            second += QByteArray::number(i + 10) + "\r\n";
        }
        const QByteArray closing = "0\r\n63536\r\n";
        const QList<QByteArray> whole{first + closing,          second + closing,
                                      first + first + closing,  second + second + closing,
                                      first + second + closing, second + first + closing};
        const QList<Received> received = dataStrings(*rig.device, "63536\r\n");
        for (const Received& string : received)
            QVERIFY2(whole.contains(string.bytes), qPrintable(QString::number(string.atNs)));

        // The first data string at 1000 ms; the next two wait for the wire (902 and 1794 bytes
        // before them); the three after those are left out; the seventh waits again. (Each
        // line's wire time is rounded to the nanosecond, hence to the microsecond here.)
        const qint64 firstAt = 1000 * ms;
        QCOMPARE(received[0].atNs, firstAt);
        const QList<qint64> bytesBefore{902, 902 + 1794, 902 + 2 * 1794};
        for (qsizetype i = 0; i < bytesBefore.size(); ++i) {
            const qint64 expected = firstAt + at(bytesBefore[i]);
            QVERIFY2(std::abs(received[i + 1].atNs - expected) < 1000,
                     qPrintable(QStringLiteral("%1: %2").arg(i + 1).arg(received[i + 1].atNs)));
        }

        // Never more than the line carries: by any moment, at most one character per character
        // time since the first byte (and the one whose start bit is going out).
        qint64 handed = 0;
        for (const RecordingDevice::HandOver& handOver : rig.device->handOvers) {
            handed += handOver.bytes.size();
            QVERIFY(handed <= (handOver.atNs - firstAt) / charNs + 1 + handOver.bytes.size());
            QVERIFY(handed - handOver.bytes.size() <= (handOver.atNs - firstAt) / charNs + 1);
        }
        // And the line is kept full: 98% of what it could carry from first byte to last.
        const qint64 lineBytes = rig.device->bytes().size();
        const qint64 span = rig.device->handOvers.last().atNs - firstAt;
        QVERIFY2(lineBytes >= span / charNs * 98 / 100, qPrintable(QString::number(lineBytes)));

        // Every data string the transmitters made is either on the line or counted out.
        qint64 made = 0, sentBytes = 0;
        for (const TickRecord& tick : rig.ticks) {
            made += tick.closedDataString ? 1 : 0;
            sentBytes += tick.delivery == Delivery::Sent ? tick.bytes : 0;
        }
        QVERIFY(received.size() > 300 && rig.line.dataStringsLeftOut() > 300);
        QCOMPARE(qint64(received.size()) + rig.line.dataStringsLeftOut(), made);
        QCOMPARE(sentBytes, lineBytes);
        QVERIFY2(mostQueued <= 2LL * 1794, qPrintable(QString::number(mostQueued)));
        QCOMPARE(rig.reporter.notices.size(), 1);
        QVERIFY(rig.reporter.notices[0].startsWith(QLatin1String(
            "Data transmission: the line cannot keep up: the transmitters produce ")));
        QCOMPARE(rig.reporter.reports, rig.reporter.notices);
    }

    // Stopped for 3 s in the middle of a run (SIGSTOP, SIGCONT): one late tick, not six; the
    // line that was going out goes on at the line rate from the moment it resumes.
    void aStalledRunResumesWithoutABurst()
    {
        SimulatorOnLine rig;
        rig.form.Text1.setText(QStringLiteral("200")); // 902 bytes, 940 ms on the wire
        rig.form.Text3.setText(QStringLiteral("2000"));
        QVERIFY(rig.simulator.Command1_Click());
        rig.clock.advanceTo(1100ms); // 105 bytes of the first data string out
        const qsizetype before = rig.device->bytes().size();
        rig.clock.stall(3s);
        rig.clock.advanceBy(0ns);
        // What was due by 4100 ms is not handed over at once: the wire takes up from now.
        QCOMPARE(rig.device->bytes().size(), before + 1);
        rig.clock.advanceTo(4100ms + 500ms);
        const qint64 expected = before + 1 + 500 * 960 / 1000;
        QVERIFY2(std::abs(rig.device->bytes().size() - expected) <= 16,
                 qPrintable(QString::number(rig.device->bytes().size())));
        rig.clock.advanceTo(10s);
        // The tick due at 3000 comes once, late; the next keeps its place (5000); none is made
        // up; the switch to the second data set comes on time.
        QCOMPARE(rig.tickTimes, QStringList({"Timer4 1000", "Timer4 3000 at 4100", "Timer4 5000",
                                             "Timer5 5010", "Timer5 7010", "Timer5 9010"}));
        // The one made while the line still sends what the stall held up waits, the next is
        // left out whole; every one that goes is whole.
        const QList<Received> strings = dataStrings(*rig.device, "63536\r\n");
        QCOMPARE(strings.size() + rig.line.dataStringsLeftOut(), 6);
        QCOMPARE(rig.line.dataStringsLeftOut(), 1);
        for (const Received& string : strings)
            QCOMPARE(string.bytes.size(), string.bytes.startsWith("1\r\n") ? 902 : 921);
    }

    // A fractional data string gap never writes a terminator line: past 8 KiB the data string
    // ends all the same, for the line, the faults and the record alike.
    void anUnterminatedDataStringEndsForEveryone()
    {
        SimulatorOnLine rig;
        rig.form.Text1.setText(QStringLiteral("200")); // ten ticks a string (9 of the second set)
        rig.form.Text3.setText(QStringLiteral("500.5"));
        QVERIFY(rig.simulator.Command1_Click());
        rig.clock.advanceTo(2s);
        rig.faults.arm(LineFault::parse(QStringLiteral("noise 3")));
        rig.clock.advanceTo(60s);
        qsizetype ended = 0, leftOut = 0, faulted = 0;
        for (const TickRecord& tick : rig.ticks) {
            ended += tick.closedDataString ? 1 : 0;
            leftOut += tick.closedDataString && tick.delivery == Delivery::LeftOut ? 1 : 0;
            faulted += tick.fault == QLatin1String("noise") ? 1 : 0;
        }
        QCOMPARE(ended, 12);  // of 119 ticks by 60 s
        QCOMPARE(faulted, 9); // the second data string's ticks
        QVERIFY(leftOut > 0);
        QCOMPARE(leftOut, rig.line.dataStringsLeftOut());
    }

    // Stopped for 3 s at 5505 ms, while the wire sends the first data string of the second data
    // set behind the last of the first (the switch at 5000): the tick due at 5510 is handled at
    // 8505, as the wire is taken up again, and its data string follows the rest of the one that
    // was going out at once; the tick says how late it was; nothing is left out, nobody is told
    // the line cannot keep up.
    void aTickHandledAfterAStallGoesAtOnce()
    {
        SimulatorOnLine rig;
        rig.form.Text1.setText(QStringLiteral("100")); // 402 and 421 bytes a data string
        QVERIFY(rig.simulator.Command1_Click());
        rig.clock.advanceTo(5505ms);
        rig.clock.stall(3s);
        rig.clock.advanceTo(10s);
        QCOMPARE(rig.tickTimes.mid(8),
                 QStringList({"Timer4 5000", "Timer5 5010", "Timer5 5510 at 8505", "Timer5 9005",
                              "Timer5 9505"}));
        QCOMPARE(rig.ticks[10].heldUp, 2995ms);
        QCOMPARE(rig.ticks[11].heldUp, 0ms);
        // The rest of the data string of 5010 (from the byte the stall stopped), then the late
        // one at once.
        const QList<Received> strings = dataStrings(*rig.device, "63536\r\n");
        QVERIFY(strings.size() >= 12);
        QCOMPARE(strings[10].bytes.size(), 421);
        const qint64 restOfTheOneBefore = strings[10].atNs - 8505 * ms;
        QVERIFY2(restOfTheOneBefore >= 0 && restOfTheOneBefore < 440 * ms,
                 qPrintable(QString::number(strings[10].atNs)));
        QCOMPARE(rig.line.dataStringsLeftOut(), 0);
        QVERIFY(rig.reporter.notices.isEmpty());
    }

    // The notice comes from the event loop, after the tick, never inside a write.
    void theNoticeComesAfterTheTick()
    {
        LineRig<BytePacer> rig;
        const QStringList& notices = rig.reporter.notices;
        rig.open();
        rig.tick(QByteArray(900, '1') + "\r\n");
        rig.clock.advanceTo(500ms);
        rig.tick(QByteArray(900, '2') + "\r\n");
        rig.tick(QByteArray(900, '3') + "\r\n"); // two ahead of it: left out
        QVERIFY(notices.isEmpty());
        rig.clock.advanceBy(0ns);
        QCOMPARE(notices.size(), 1);
        QCOMPARE(rig.line.dataStringsLeftOut(), 1);
    }

    // A device that goes away during a run: nothing more is handed to it, the failure is told
    // once, from the event loop, and the run stops as Stop stops it; Start opens it again.
    void aVanishingDeviceStopsTheRunOnce()
    {
        SimulatorOnLine rig;
        rig.form.Text1.setText(QStringLiteral("10"));
        QVERIFY(rig.simulator.Command1_Click());
        rig.clock.advanceTo(1100ms);
        const QByteArray before = rig.device->bytes();
        QCOMPARE(before.size(), 31 + 3 + 7); // ten values, the alarm line and the terminator
        rig.device->vanishes = true;
        rig.clock.advanceTo(1500ms); // the tick's first hand-over finds the device gone
        QVERIFY(!rig.form.MSComm1.portOpen());
        QCOMPARE(rig.reporter.reports,
                 QStringList{"Data transmission: Com Port 1 (recorder) went away: Input/output "
                             "error; the run has been stopped (port refused)"});
        QCOMPARE(rig.device->closes, 1);
        QVERIFY(!rig.form.Timer4.enabled());
        QCOMPARE(rig.form.Shape1.fillColor(), Colours::stoppedLit);
        rig.clock.advanceTo(10s);
        QCOMPARE(rig.reporter.reports.size(), 1);
        QCOMPARE(rig.device->bytes(), before);

        rig.device->vanishes = false; // back again
        QVERIFY(rig.simulator.Command1_Click());
        rig.clock.advanceTo(11100ms);
        QCOMPARE(rig.device->bytes(), before + before);
        QCOMPARE(rig.device->opened, (QList<qint16>{1, 1}));
    }

    void aRefusingDeviceLeavesThePortClosed()
    {
        LineRig<UartPacer> rig;
        rig.device->refuseOpen = true;
        try {
            rig.open();
            QFAIL("opened");
        } catch (const SimulatorError& error) {
            QCOMPARE(error.reason(),
                     QStringLiteral("Cannot open Com Port 1 (recorder): No such device"));
        }
        QVERIFY(!rig.port.portOpen());
        auto tick = rig.port.beginTick(); // a tick on a closed port writes nothing
        QVERIFY_THROWS_EXCEPTION(SimulatorError, rig.port.setOutput(QStringLiteral("1\r\n")));
        QVERIFY(rig.device->handOvers.isEmpty());
    }
};

QTEST_APPLESS_MAIN(LinePacingTest)
#include "tst_linepacing.moc"
