// The write path's rules without a device: when each byte may go, and which data strings go.
#include "serial/DataStringGate.h"
#include "serial/LinePacer.h"
#include "serial/PortMap.h"

#include <QTest>

#include <cmath>

namespace
{
constexpr double cps = 960.0; // 9600,N,8,1
constexpr qint64 ms = 1'000'000;
constexpr qint64 charNs = 1'041'667; // 1e9 / 960, rounded
// The start of character k of a run that starts at 0.
qint64 at(int k)
{
    return std::llround(k * 1e9 / cps);
}
} // namespace

class LinePacingTest : public QObject
{
    Q_OBJECT
private slots:
    void bytesGoOneCharacterTimeApart()
    {
        LinePacer pacer(cps, LinePacer::Release::Bytes);
        pacer.append("42\r\n", 0);
        QCOMPARE(pacer.takeDue(0), QByteArray("4"));
        QCOMPARE(pacer.nextDueNs(), std::optional<qint64>(charNs));
        QCOMPARE(pacer.takeDue(charNs - 1), QByteArray());
        QCOMPARE(pacer.takeDue(charNs), QByteArray("2"));
        QCOMPARE(pacer.takeDue(10 * ms), QByteArray("\r\n"));
        QVERIFY(pacer.isEmpty());
        QCOMPARE(pacer.nextDueNs(), std::nullopt);
    }

    void aLineWrittenWhileTheWireIsBusyFollowsTheOneBefore()
    {
        LinePacer pacer(cps, LinePacer::Release::Bytes);
        pacer.append("1\r\n", 0);
        pacer.append("2\r\n", 1 * ms); // the wire still has two characters to send
        QCOMPARE(pacer.queuedBytes(), 6);
        QCOMPARE(pacer.backlogBytes(1 * ms), 6); // 0.96 characters sent, six still owed
        QCOMPARE(pacer.takeDue(at(3) - 1), QByteArray("1\r\n"));
        QCOMPARE(pacer.nextDueNs(), std::optional<qint64>(at(3)));
        QCOMPARE(pacer.takeDue(6 * charNs), QByteArray("2\r\n"));
        QCOMPARE(pacer.backlogBytes(6 * charNs), 0);
    }

    void aLineWrittenOnAnIdleWireGoesAtOnce()
    {
        LinePacer pacer(cps, LinePacer::Release::Bytes);
        pacer.append("1\r\n", 0);
        QCOMPARE(pacer.takeDue(100 * ms), QByteArray("1\r\n"));
        pacer.append("7\r\n", 500 * ms);
        QCOMPARE(pacer.nextDueNs(), std::optional<qint64>(500 * ms));
        QCOMPARE(pacer.backlogBytes(500 * ms), 3);
    }

    void wholeLinesAreHandedOverALeadAheadOfTheirTime()
    {
        LinePacer pacer(cps, LinePacer::Release::WholeLines, 20 * ms);
        pacer.append("12345678901234567890123456789\r\n", 0); // 31 characters, 32.3 ms
        pacer.append("2\r\n", 0);
        QCOMPARE(pacer.takeDue(0), QByteArray("12345678901234567890123456789\r\n"));
        // The next line starts at 31 character times; it is handed over 20 ms before.
        const qint64 next = at(31);
        QCOMPARE(pacer.nextDueNs(), std::optional<qint64>(next - 20 * ms));
        QCOMPARE(pacer.takeDue(next - 20 * ms - 1), QByteArray());
        QCOMPARE(pacer.takeDue(next - 20 * ms), QByteArray("2\r\n"));
    }

    void closingKeepsOnlyTheRestOfTheLineInProgress()
    {
        LinePacer pacer(cps, LinePacer::Release::Bytes);
        pacer.append("123\r\n", 0);
        pacer.append("4\r\n", 0);
        QCOMPARE(pacer.takeDue(charNs), QByteArray("12"));
        pacer.dropAfterCurrentLine();
        QCOMPARE(pacer.queuedBytes(), 3);
        QCOMPARE(pacer.takeAll(), QByteArray("3\r\n"));
        // Between lines nothing is kept.
        pacer.append("5\r\n", 100 * ms);
        pacer.append("6\r\n", 100 * ms);
        QCOMPARE(pacer.takeDue(100 * ms + 2 * charNs), QByteArray("5\r\n"));
        pacer.dropAfterCurrentLine();
        QVERIFY(pacer.isEmpty());
    }

    // Each row: a run of ticks, each with the backlog the line has when it opens, its byte
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
        // A fractional data string gap never closes one: past 8 KiB the next tick decides
        // afresh, so the line neither falls behind for good nor falls silent.
        QTest::newRow("never closing: bounded")
            << QList<qint64>{0, 5000, 9000, 9000, 0, 0, 0}
            << QList<qint64>{4000, 4000, 4000, 4000, 4000, 4000, 4000}
            << QList<bool>{false, false, false, false, false, false, false}
            << QList<bool>{true, true, true, false, false, false, true} << qint64(1);
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
            QCOMPARE(gate.beginTick(backlogs[i], 1000 + 500 * i), letThrough[i]);
            gate.produced(sizes[i]);
            QCOMPARE(gate.letsThrough(), letThrough[i]);
            gate.endTick(closes[i]);
        }
        QCOMPARE(gate.dataStringsLeftOut(), leftOut);
    }

    void theOperatorIsToldOnceWithTheFigures()
    {
        DataStringGate gate(cps);
        gate.beginTick(0, 1000);
        gate.produced(902);
        gate.endTick(true);
        QCOMPARE(gate.takeNotice(), std::nullopt);
        QVERIFY(!gate.beginTick(1000, 1500));
        gate.produced(902);
        gate.endTick(true);
        QCOMPARE(gate.takeNotice(),
                 QStringLiteral("the line cannot keep up: the transmitters produce 1804 bytes per "
                                "second (902 bytes in 500 ms), the line carries 960 bytes per "
                                "second; data strings that do not fit are left out whole"));
        QVERIFY(!gate.beginTick(1000, 2000));
        gate.endTick(true);
        QCOMPARE(gate.takeNotice(), std::nullopt);
        QCOMPARE(gate.dataStringsLeftOut(), 2);
        gate.reset(); // a new run is told again
        gate.beginTick(0, 1000);
        gate.endTick(true);
        QVERIFY(!gate.beginTick(100, 1500));
        QVERIFY(gate.takeNotice().has_value());
    }

    void portNumbersNameDevices_data()
    {
        QTest::addColumn<QStringList>("mappings");
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("device");
        QTest::newRow("default 1") << QStringList{} << 1 << QStringLiteral("/dev/ttyS0");
        QTest::newRow("default 8") << QStringList{} << 8 << QStringLiteral("/dev/ttyS7");
        QTest::newRow("mapped") << QStringList{QStringLiteral("3=/dev/ttyUSB0")} << 3
                                << QStringLiteral("/dev/ttyUSB0");
        QTest::newRow("others stay")
            << QStringList{QStringLiteral("3=/dev/ttyUSB0")} << 2 << QStringLiteral("/dev/ttyS1");
        QTest::newRow("last wins") << QStringList{QStringLiteral("1=/a"), QStringLiteral(" 1 = /b")}
                                   << 1 << QStringLiteral("/b");
    }

    void portNumbersNameDevices()
    {
        QFETCH(QStringList, mappings);
        QFETCH(int, port);
        QFETCH(QString, device);
        PortMap map;
        QString why;
        for (const QString& mapping : mappings)
            QVERIFY2(map.addMapping(mapping, &why), qPrintable(why));
        QCOMPARE(map.devicePath(qint16(port)), device);
    }

    void malformedPortMappingsAreRefused_data()
    {
        QTest::addColumn<QString>("text");
        for (const char* text :
             {"", "=/dev/x", "1=", "x=/dev/x", "0=/dev/x", "40000=/dev/x", "/dev/ttyUSB0"})
            QTest::newRow(text) << QString::fromLatin1(text);
    }

    void malformedPortMappingsAreRefused()
    {
        QFETCH(QString, text);
        PortMap map;
        QString why;
        QVERIFY(!map.addMapping(text, &why));
        QVERIFY(why.startsWith(QLatin1String("--port expects N=DEVICE")));
    }
};

QTEST_APPLESS_MAIN(LinePacingTest)
#include "tst_linepacing.moc"
