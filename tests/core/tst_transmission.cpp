#include "core/PageTransmitters.h"
#include "tests/support/SimulatorRig.h"

#include <QtTest>

using namespace std::chrono_literals;

using Tick = SimulatorRig::Tick;

namespace
{

QStringList numbers(int first, int last)
{
    QStringList lines;
    for (int i = first; i <= last; ++i)
        lines.append(QString::number(i));
    return lines;
}

QStringList concat(const QStringList& a, const QStringList& b)
{
    return a + b;
}

// The ticks of one transmitter while it is on the line, from its first tick to `until`:
// after a page-only tick comes the closing tick one page gap later, after a closing tick the
// next page-only tick one data string gap later (one-page transmitters close every tick).
QList<Tick> segment(qint64 first, qint64 until, bool firstIsClosing, bool twoPage,
                    const QStringList& page, const QStringList& closing)
{
    QList<Tick> ticks;
    bool closes = firstIsClosing || !twoPage;
    for (qint64 t = first; t <= until;) {
        ticks.append({t, closes ? concat(page, closing) : page});
        t += closes ? 500 : 10;
        closes = !twoPage || !closes;
    }
    return ticks;
}

} // namespace

// The transmitters and switchers on the line: bytes, line by line, and tick times.
class TransmissionTest : public QObject
{
    Q_OBJECT

private slots:
    void wireFormat_data();
    void wireFormat();
    void oneWritePerLine();
    void onePageRunOf25Seconds();
    void twoPageRunOf25Seconds();
    void firstTicksFollowTheFields_data();
    void firstTicksFollowTheFields();
    void alarmsTravelOnlyInTheFirstOnePageDataSet();
    void editsTakeEffectAtTheNextTick();
    void pageGapOfZeroSilencesTheSecondDataSet();
    void pageGapSetsTheFirstTickAfterHandOver();
    void stopThenStartResumesTheSwitchCount();
    void failingTickIsReportedOnce();
    void sixteenBitLimits_data();
    void sixteenBitLimits();
};

void TransmissionTest::wireFormat_data()
{
    QTest::addColumn<int>("timer");
    QTest::addColumn<int>("intervalBefore");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("Timer4") << 4 << 500 << QByteArray("1\r\n2\r\n3\r\n0\r\n1\r\n63536\r\n");
    QTest::newRow("Timer5") << 5 << 500 << QByteArray("11\r\n12\r\n13\r\n0\r\n0\r\n63536\r\n");
    QTest::newRow("Timer1 page-only") << 1 << 500 << QByteArray("1\r\n2\r\n3\r\n");
    QTest::newRow("Timer1 closing") << 1 << 10 << QByteArray("1\r\n2\r\n3\r\n0\r\n0\r\n63536\r\n");
    QTest::newRow("Timer3 page-only") << 3 << 500 << QByteArray("11\r\n12\r\n13\r\n");
    QTest::newRow("Timer3 closing")
        << 3 << 10 << QByteArray("11\r\n12\r\n13\r\n0\r\n0\r\n63536\r\n");
}

void TransmissionTest::wireFormat()
{
    QFETCH(int, timer);
    QFETCH(int, intervalBefore);
    QFETCH(QByteArray, bytes);
    SimulatorRig rig;
    PageTransmitters transmitters(rig.form, rig.rules);
    rig.form.Text1.setText("3");
    rig.form.Text6.setText("2");
    rig.form.setAlarmState(2, 1);
    rig.port.setPortOpen(true);
    rig.form.timer(timer).setInterval(intervalBefore);
    switch (timer) {
    case 1:
        transmitters.Timer1_Timer();
        break;
    case 3:
        transmitters.Timer3_Timer();
        break;
    case 4:
        transmitters.Timer4_Timer();
        break;
    case 5:
        transmitters.Timer5_Timer();
        break;
    }
    QCOMPARE(rig.line.allBytes(), bytes);
    QCOMPARE(rig.line.allBytes().size(), bytes.size()); // 22, 25, 9, 22, 12, 25
}

void TransmissionTest::oneWritePerLine()
{
    SimulatorRig rig;
    rig.form.Text8.setText("");
    QVERIFY(rig.simulator.Command1_Click());
    rig.clock.advanceTo(1000ms);
    QCOMPARE(rig.line.writes.size(), 30 + 1 + 1);
    for (const RecordingLine::Write& write : rig.line.writes)
        QVERIFY(write.bytes.endsWith("\r\n") && write.bytes.count('\n') == 1);
    // An empty terminator is CR LF alone.
    QCOMPARE(rig.line.writes.last().bytes, QByteArray("\r\n"));
}

void TransmissionTest::onePageRunOf25Seconds()
{
    SimulatorRig rig;
    rig.setSetup("10", "5", "0", "1"); // 30 points, one alarm, one page
    QVERIFY(rig.simulator.Form_Load());
    QVERIFY(rig.simulator.Command1_Click());

    const QStringList first = numbers(1, 30);
    const QStringList second = numbers(11, 40);
    const QStringList closing{"0", "63536"};
    // Ticks falling due together go in timer order: Timer4's tick at 5000 comes before the
    // switch at 5000.
    const QList<Tick> expected = segment(1000, 5000, true, false, first, closing) +
                                 segment(5010, 10000, true, false, second, closing) +
                                 segment(10500, 15000, true, false, first, closing) +
                                 segment(15010, 20000, true, false, second, closing) +
                                 segment(20500, 25000, true, false, first, closing);
    const QStringList text5{"1", "1", "2", "1", "2"};
    for (int i = 0; i < 5; ++i) {
        rig.clock.advanceTo(5000ms * (i + 1));
        QCOMPARE(rig.form.Text5.text(), text5[i]);
    }
    QCOMPARE(rig.ticks(), expected);
    QCOMPARE(rig.ticks().first().atMs, 1000);
    QCOMPARE(rig.ticks()[9].atMs, 5010);
    qsizetype firstDataString = 0; // 30 value lines, one alarm line, the terminator
    for (const RecordingLine::Write& write : rig.line.writes)
        firstDataString += write.atMs == 1000 ? write.bytes.size() : 0;
    QCOMPARE(firstDataString, 121);
    QVERIFY(rig.reporter.reports.isEmpty());
}

void TransmissionTest::twoPageRunOf25Seconds()
{
    SimulatorRig rig;
    rig.setSetup("20", "10", "0", "1"); // 60 points, 62 lines: propose one page...
    QVERIFY(rig.simulator.Form_Load());
    rig.form.Text1.setText("30"); // ...but the operator asks for two pages of 30
    rig.form.Text4.setText("2");
    QVERIFY(rig.simulator.Command1_Click());

    const QStringList first = numbers(1, 30);
    const QStringList second = numbers(11, 40);
    const QStringList closing{"0", "63536"};
    // A hand-over gives the second data set the page gap, so its first tick closes a data
    // string; a hand-back resumes the first data set in the phase its last tick left.
    const QList<Tick> expected = segment(1000, 5000, true, true, first, closing) +
                                 segment(5010, 10000, true, true, second, closing) +
                                 segment(10500, 15000, false, true, first, closing) +
                                 segment(15010, 20000, true, true, second, closing) +
                                 segment(20500, 25000, false, true, first, closing);
    rig.clock.advanceTo(25000ms);
    const QList<Tick> ticks = rig.ticks();
    QCOMPARE(ticks, expected);
    const QList<qint64> opening{1000, 1500, 1510, 2010, 2020};
    for (int i = 0; i < opening.size(); ++i)
        QCOMPARE(ticks[i].atMs, opening[i]);
    QCOMPARE(ticks[0].lines.size(), 32);
    QCOMPARE(ticks[1].lines.size(), 30);
    QCOMPARE(rig.form.Text5.text(), QStringLiteral("2"));
    QVERIFY(rig.reporter.reports.isEmpty());
}

void TransmissionTest::firstTicksFollowTheFields_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("pages");
    QTest::addColumn<QList<Tick>>("expected"); // the ticks of the first 1600 ms

    const QStringList closing{"0", "63536"};
    QTest::newRow("32.5 points make 32")
        << "Text1"
        << "32.5"
        << "1" << QList<Tick>{{1000, numbers(1, 32) + closing}, {1500, numbers(1, 32) + closing}};
    QTest::newRow("33.5 points make 34")
        << "Text1"
        << "33.5"
        << "1" << QList<Tick>{{1000, numbers(1, 34) + closing}, {1500, numbers(1, 34) + closing}};
    QTest::newRow("no points") << "Text1"
                               << "0"
                               << "1" << QList<Tick>{{1000, closing}, {1500, closing}};
    QTest::newRow("negative points") << "Text1"
                                     << "-4"
                                     << "2" << QList<Tick>{{1000, closing}, {1510, closing}};
    QTest::newRow("no alarms") << "Text6"
                               << "0"
                               << "1"
                               << QList<Tick>{{1000, numbers(1, 30) + QStringList{"63536"}},
                                              {1500, numbers(1, 30) + QStringList{"63536"}}};
    QTest::newRow("fractional gap never closes")
        << "Text3"
        << "500.5"
        << "1" << QList<Tick>{{1000, numbers(1, 30)}, {1500, numbers(1, 30)}};
    QTest::newRow("fractional gap, two pages")
        << "Text3"
        << "500.5"
        << "2" << QList<Tick>{{1000, numbers(1, 30)}, {1500, numbers(1, 30)}};
    QTest::newRow("gap of 1000 opens with a page")
        << "Text3"
        << "1000"
        << "2" << QList<Tick>{{1000, numbers(1, 30)}, {1010, numbers(1, 30) + closing}};
    QTest::newRow("terminator as typed")
        << "Text8"
        << "END ok"
        << "1"
        << QList<Tick>{{1000, numbers(1, 30) + QStringList{"0", "END ok"}},
                       {1500, numbers(1, 30) + QStringList{"0", "END ok"}}};
    QTest::newRow("2.0 pages is two-page mode") << "Text4"
                                                << "2.0"
                                                << "<as typed>"
                                                << QList<Tick>{{1000, numbers(1, 30) + closing},
                                                               {1500, numbers(1, 30)},
                                                               {1510, numbers(1, 30) + closing}};
    QTest::newRow("1.5 pages is one-page mode")
        << "Text4"
        << "1.5"
        << "<as typed>"
        << QList<Tick>{{1000, numbers(1, 30) + closing}, {1500, numbers(1, 30) + closing}};
}

void TransmissionTest::firstTicksFollowTheFields()
{
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(QString, pages);
    QFETCH(QList<Tick>, expected);
    SimulatorRig rig;
    if (pages != QLatin1String("<as typed>"))
        rig.form.Text4.setText(pages);
    rig.form.text(field.mid(4).toInt()).setText(text);
    QVERIFY(rig.simulator.Command1_Click());
    rig.clock.advanceTo(1600ms);
    QCOMPARE(rig.ticks(), expected);
    QVERIFY(rig.reporter.reports.isEmpty());
}

void TransmissionTest::alarmsTravelOnlyInTheFirstOnePageDataSet()
{
    SimulatorRig rig;
    rig.form.Text1.setText("1");
    rig.form.Text6.setText("6"); // beyond the four alarms there are: always clear
    QVERIFY(rig.simulator.Command4_Click(1));
    QVERIFY(rig.simulator.Command4_Click(3));
    QVERIFY(rig.simulator.Command1_Click());
    rig.clock.advanceTo(5010ms);
    const QList<Tick> ticks = rig.ticks();
    QCOMPARE(ticks.first().lines, (QStringList{"1", "1", "0", "1", "0", "0", "0", "63536"}));
    QCOMPARE(ticks.last().atMs, 5010);
    QCOMPARE(ticks.last().lines, (QStringList{"11", "0", "0", "0", "0", "0", "0", "63536"}));

    SimulatorRig twoPage;
    twoPage.form.Text1.setText("1");
    twoPage.form.Text4.setText("2");
    QVERIFY(twoPage.simulator.Command4_Click(1));
    QVERIFY(twoPage.simulator.Command1_Click());
    twoPage.clock.advanceTo(1000ms);
    QCOMPARE(twoPage.ticks().first().lines, (QStringList{"1", "0", "63536"}));
}

void TransmissionTest::editsTakeEffectAtTheNextTick()
{
    SimulatorRig rig;
    rig.form.Text4.setText("2");
    rig.form.Text1.setText("2");
    QVERIFY(rig.simulator.Command1_Click());
    rig.clock.advanceTo(1500ms); // closing tick at 1000, page-only at 1500
    rig.form.Text1.setText("3");
    rig.clock.advanceTo(1510ms);
    QCOMPARE(rig.ticks().last(), (Tick{1510, {"1", "2", "3", "0", "63536"}}));
    QCOMPARE(rig.ticks()[1], (Tick{1500, {"1", "2"}}));
}

void TransmissionTest::pageGapOfZeroSilencesTheSecondDataSet()
{
    SimulatorRig rig;
    rig.form.Text1.setText("1");
    rig.form.Text2.setText("0");
    QVERIFY(rig.simulator.Command1_Click());
    rig.clock.advanceTo(9999ms);
    QVERIFY(rig.form.Timer5.enabled());
    rig.clock.advanceTo(10499ms);
    QCOMPARE(rig.ticks().last().atMs, 5000);
    rig.clock.advanceTo(10500ms);
    QCOMPARE(rig.ticks().last(), (Tick{10500, {"1", "0", "63536"}}));
}

void TransmissionTest::pageGapSetsTheFirstTickAfterHandOver()
{
    SimulatorRig rig;
    rig.form.Text1.setText("1");
    rig.form.Text2.setText("50");
    QVERIFY(rig.simulator.Command1_Click());
    rig.clock.advanceTo(5050ms);
    QCOMPARE(rig.ticks().last(), (Tick{5050, {"11", "0", "63536"}}));
    QCOMPARE(rig.ticks()[rig.ticks().size() - 2].atMs, 5000);
}

void TransmissionTest::stopThenStartResumesTheSwitchCount()
{
    SimulatorRig rig;
    QVERIFY(rig.simulator.Command1_Click());
    rig.clock.advanceTo(12000ms); // hand-over at 5000, hand-back at 10000
    QCOMPARE(int(rig.form.SwitchTicks()), 1);
    QVERIFY(rig.simulator.Command3_Click());
    const qsizetype sent = rig.line.writes.size();
    rig.clock.advanceTo(20000ms);
    QCOMPARE(rig.line.writes.size(), sent); // nothing after Stop
    QVERIFY(rig.simulator.Command1_Click());
    QCOMPARE(int(rig.form.SwitchTicks()), 1);
    rig.clock.advanceTo(24999ms);
    QCOMPARE(rig.form.Text5.text(), QStringLiteral("1"));
    rig.clock.advanceTo(25000ms);
    QCOMPARE(rig.form.Text5.text(), QStringLiteral("2"));
    QVERIFY(!rig.form.Timer4.enabled());
    QVERIFY(rig.form.Timer5.enabled());
    QCOMPARE(rig.ticks().at(rig.ticks().size() - 1).atMs, 25000); // Timer4's last tick
    QCOMPARE(rig.line.opened, (QList<qint16>{1, 1}));
}

void TransmissionTest::failingTickIsReportedOnce()
{
    SimulatorRig rig;
    QVERIFY(rig.simulator.Command1_Click());
    rig.form.Text1.setText("abc");
    rig.clock.advanceTo(3000ms);
    const QString error = QStringLiteral("Data transmission (Timer4): Number of Data Points/Page "
                                         "\"abc\" is not a number (type mismatch)");
    QCOMPARE(rig.reporter.reports, QStringList{error});
    // The interval is written before the page is read: the tick goes on coming.
    QVERIFY(rig.line.writes.isEmpty());
    rig.form.Text1.setText("1");
    rig.clock.advanceTo(3500ms);
    QCOMPARE(rig.ticks().last(), (Tick{3500, {"1", "0", "63536"}}));
    rig.form.Text1.setText("abc");
    rig.clock.advanceTo(4500ms);
    QCOMPARE(rig.reporter.reports, (QStringList{error, error}));
}

void TransmissionTest::sixteenBitLimits_data()
{
    QTest::addColumn<int>("timer");
    QTest::addColumn<QString>("points");
    QTest::addColumn<int>("lines");
    QTest::addColumn<QString>("report");

    QTest::newRow("first set, 32767 points")
        << 4 << "32767" << 32767
        << "Data transmission (Timer4): the data point counter reaches 32768, outside "
           "-32768..32767 (overflow)";
    QTest::newRow("second set stops before 32768")
        << 5 << "32758" << 32757
        << "Data transmission (Timer5): a data point value reaches 32768, outside "
           "-32768..32767 (overflow)";
}

void TransmissionTest::sixteenBitLimits()
{
    QFETCH(int, timer);
    QFETCH(QString, points);
    QFETCH(int, lines);
    QFETCH(QString, report);
    SimulatorRig rig;
    rig.form.Text1.setText(points);
    QVERIFY(rig.simulator.Command1_Click());
    if (timer == 5) {
        rig.form.Text1.setText("1");
        rig.clock.advanceTo(5000ms);
        rig.form.Text1.setText(points);
        rig.line.writes.clear();
        rig.reporter.reports.clear();
        rig.clock.advanceTo(5010ms);
    } else {
        rig.clock.advanceTo(1000ms);
    }
    QCOMPARE(rig.line.writes.size(), lines);
    QCOMPARE(rig.reporter.reports, QStringList{report});
}

QTEST_APPLESS_MAIN(TransmissionTest)
#include "tst_transmission.moc"
