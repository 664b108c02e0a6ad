#include "tests/support/SimulatorRig.h"

#include <QtTest>

using namespace std::chrono_literals;

// Start, Stop and the alarm buttons: lamps, port and timers, and the refusals.
class RunControlTest : public QObject
{
    Q_OBJECT

private slots:
    void startLightsOpensAndStartsOnePair_data();
    void startLightsOpensAndStartsOnePair();
    void stopDarkensHaltsAndCloses();
    void stopWithThePortClosedLeavesItAlone();
    void startAfterStopUsesTheNewPortNumber();
    void failedStartLeavesEverythingAsItWas_data();
    void failedStartLeavesEverythingAsItWas();
    void startWhileRunningIsRefusedAndTheRunGoesOn();
    void lineFailureStopsTheRunOnce();
    void alarmButtonsToggle();
    void alarmButtonsBeyondTheFourthChangeNothing();
    void lineSettingsTexts_data();
    void lineSettingsTexts();
};

void RunControlTest::startLightsOpensAndStartsOnePair_data()
{
    QTest::addColumn<QString>("pages");
    QTest::addColumn<QList<int>>("running"); // timers ticking after Start

    QTest::newRow("two pages") << "2" << QList<int>{1, 2};
    QTest::newRow("one page") << "1" << QList<int>{4, 6};
}

void RunControlTest::startLightsOpensAndStartsOnePair()
{
    QFETCH(QString, pages);
    QFETCH(QList<int>, running);
    SimulatorRig rig;
    rig.form.Text4.setText(pages);
    rig.form.Text7.setText("3");
    QVERIFY(rig.simulator.Command1_Click());
    QCOMPARE(rig.form.Shape5.fillColor(), Colours::runningLit);
    QCOMPARE(rig.form.Shape5.borderColor(), Colours::black);
    QCOMPARE(rig.form.Shape1.fillColor(), Colours::stoppedDim);
    QVERIFY(rig.form.MSComm1.portOpen());
    QCOMPARE(rig.line.opened, QList<qint16>{3});
    QCOMPARE(rig.form.MSComm1.settings(), QStringLiteral("9600,N,8,1"));
    QCOMPARE(rig.form.timer(running[0]).interval(), 1000);
    QCOMPARE(rig.form.timer(running[1]).interval(), 5000);
    for (int t = 1; t <= 6; ++t)
        if (!running.contains(t))
            QCOMPARE(rig.form.timer(t).interval(), 0); // enabled, but never ticking
    rig.clock.advanceTo(999ms);
    QVERIFY(rig.line.writes.isEmpty());
    rig.clock.advanceTo(1000ms);
    QVERIFY(!rig.line.writes.isEmpty());
    QVERIFY(rig.reporter.reports.isEmpty());
}

void RunControlTest::stopDarkensHaltsAndCloses()
{
    SimulatorRig rig;
    QVERIFY(rig.simulator.Command4_Click(1));
    QVERIFY(rig.simulator.Command1_Click());
    rig.clock.advanceTo(1500ms);
    QVERIFY(rig.simulator.Command3_Click());
    QCOMPARE(rig.form.Shape1.fillColor(), Colours::stoppedLit);
    QCOMPARE(rig.form.Shape5.fillColor(), Colours::runningStopped);
    QCOMPARE(rig.form.Shape5.borderColor(), Colours::black); // stays as Start set it
    QVERIFY(!rig.form.MSComm1.portOpen());
    QCOMPARE(rig.line.closes, 1);
    for (int t = 1; t <= 6; ++t)
        QVERIFY(!rig.form.timer(t).enabled());
    QCOMPARE(rig.form.Timer4.interval(), 500); // intervals are left as they were
    QCOMPARE(int(rig.form.AlarmState(1)), 1);
    QCOMPARE(rig.form.Shape3(1).fillColor(), Colours::alarmRaised);
}

void RunControlTest::stopWithThePortClosedLeavesItAlone()
{
    SimulatorRig rig;
    QVERIFY(rig.simulator.Command3_Click()); // before any Start
    QCOMPARE(rig.form.Shape1.fillColor(), Colours::stoppedLit);
    QCOMPARE(rig.form.Shape5.fillColor(), Colours::runningStopped);
    QCOMPARE(rig.form.Shape5.borderColor(), Colours::lightGrey);
    QVERIFY(rig.simulator.Command1_Click());
    QVERIFY(rig.simulator.Command3_Click());
    QVERIFY(rig.simulator.Command3_Click()); // the second Stop
    QCOMPARE(rig.line.closes, 1);
    QVERIFY(rig.reporter.reports.isEmpty());
}

void RunControlTest::startAfterStopUsesTheNewPortNumber()
{
    SimulatorRig rig;
    QVERIFY(rig.simulator.Command1_Click());
    QVERIFY(rig.simulator.Command3_Click());
    rig.form.Text7.setText("7");
    rig.clock.advanceTo(10000ms);
    QVERIFY(rig.simulator.Command1_Click());
    QCOMPARE(rig.line.opened, (QList<qint16>{1, 7}));
    rig.clock.advanceTo(11000ms);
    QCOMPARE(rig.line.writes.first().atMs, 11000);
}

void RunControlTest::failedStartLeavesEverythingAsItWas_data()
{
    QTest::addColumn<QString>("comPort");
    QTest::addColumn<QString>("pages");
    QTest::addColumn<bool>("portRefuses");
    QTest::addColumn<QString>("report");

    QTest::newRow("port not a number")
        << "abc"
        << "1" << false << "Start: Com Port \"abc\" is not a number (type mismatch)";
    QTest::newRow("port out of range")
        << "40000"
        << "1" << false << "Start: Com Port \"40000\" is out of range (overflow)";
    QTest::newRow("no port 0") << "0"
                               << "1" << false << "Start: there is no Com Port 0 (port refused)";
    QTest::newRow("port cannot open")
        << "2"
        << "1" << true << "Start: Cannot open Com Port 2: No such device (port refused)";
    QTest::newRow("pages not a number")
        << "1"
        << "two" << false << "Start: Number of Data Pages \"two\" is not a number (type mismatch)";
}

void RunControlTest::failedStartLeavesEverythingAsItWas()
{
    QFETCH(QString, comPort);
    QFETCH(QString, pages);
    QFETCH(bool, portRefuses);
    QFETCH(QString, report);
    SimulatorRig rig;
    rig.form.Text7.setText(comPort);
    rig.form.Text4.setText(pages);
    rig.line.refuseOpen = portRefuses;
    QVERIFY(!rig.simulator.Command1_Click());
    QCOMPARE(rig.reporter.reports, QStringList{report});
    QCOMPARE(rig.form.Shape5.fillColor(), Colours::runningDark);
    QCOMPARE(rig.form.Shape5.borderColor(), Colours::lightGrey);
    QCOMPARE(rig.form.Shape1.fillColor(), Colours::stoppedLit);
    QVERIFY(!rig.form.MSComm1.portOpen());
    QCOMPARE(rig.line.closes, rig.line.opened.size()); // opened at most to be closed again
    for (int t = 1; t <= 6; ++t)
        QCOMPARE(rig.form.timer(t).interval(), 0);
    rig.clock.advanceTo(20000ms);
    QVERIFY(rig.line.writes.isEmpty());
}

void RunControlTest::startWhileRunningIsRefusedAndTheRunGoesOn()
{
    SimulatorRig rig;
    rig.form.Text1.setText("1");
    QVERIFY(rig.simulator.Command1_Click());
    rig.clock.advanceTo(1200ms);
    rig.form.Text4.setText("2"); // would pick the other pair
    QVERIFY(!rig.simulator.Command1_Click());
    QCOMPARE(rig.reporter.reports,
             QStringList{"Start: cannot change the port number: Com Port 1 is already open "
                         "(port refused)"});
    QCOMPARE(rig.form.Shape5.fillColor(), Colours::runningLit);
    QCOMPARE(rig.form.Shape1.fillColor(), Colours::stoppedDim);
    QVERIFY(rig.form.MSComm1.portOpen());
    QCOMPARE(rig.form.Timer1.interval(), 0);
    rig.clock.advanceTo(3000ms);
    QList<qint64> times;
    for (const SimulatorRig::Tick& tick : rig.ticks())
        times.append(tick.atMs);
    QCOMPARE(times, (QList<qint64>{1000, 1500, 2000, 2500, 3000})); // one transmitter, unmoved
}

void RunControlTest::lineFailureStopsTheRunOnce()
{
    SimulatorRig rig;
    QVERIFY(rig.simulator.Command1_Click());
    rig.clock.advanceTo(1000ms);
    rig.line.giveOut(QStringLiteral("Com Port 1 (/dev/ttyS0) went away"));
    QCOMPARE(rig.reporter.reports,
             QStringList{"Data transmission: Com Port 1 (/dev/ttyS0) went away; the run has been "
                         "stopped (port refused)"});
    QVERIFY(!rig.form.MSComm1.portOpen());
    QCOMPARE(rig.line.closes, 0); // the device was gone already
    QCOMPARE(rig.form.Shape5.fillColor(), Colours::runningStopped);
    const qsizetype sent = rig.line.writes.size();
    rig.clock.advanceTo(20000ms);
    QCOMPARE(rig.line.writes.size(), sent);
    QCOMPARE(rig.reporter.reports.size(), 1);
    QVERIFY(rig.simulator.Command1_Click()); // the device is back
    QVERIFY(rig.form.MSComm1.portOpen());
}

void RunControlTest::alarmButtonsToggle()
{
    SimulatorRig rig;
    QVERIFY(rig.simulator.Command4_Click(3));
    QCOMPARE(int(rig.form.AlarmState(3)), 1);
    QCOMPARE(rig.form.Shape3(3).fillColor(), Colours::alarmRaised);
    for (int other : {1, 2, 4}) {
        QCOMPARE(int(rig.form.AlarmState(other)), 0);
        QCOMPARE(rig.form.Shape3(other).fillColor(), Colours::alarmClear);
    }
    QVERIFY(rig.simulator.Command4_Click(3));
    QCOMPARE(int(rig.form.AlarmState(3)), 0);
    QCOMPARE(rig.form.Shape3(3).fillColor(), Colours::alarmClear);
    QVERIFY(rig.line.writes.isEmpty()); // a click sends nothing
}

void RunControlTest::alarmButtonsBeyondTheFourthChangeNothing()
{
    SimulatorRig rig;
    for (int index : {0, 5, -1}) {
        QVERIFY(rig.simulator.Command4_Click(index));
        for (int i = 1; i <= 4; ++i)
            QCOMPARE(int(rig.form.AlarmState(i)), 0);
    }
    QVERIFY(rig.reporter.reports.isEmpty());
}

void RunControlTest::lineSettingsTexts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("refusal"); // empty: accepted, and written back the same
    QTest::addColumn<double>("charactersPerSecond");
    QTest::newRow("the tool's own") << "9600,N,8,1" << QString() << 960.0;
    QTest::newRow("even parity, two stop bits") << "19200,E,7,2" << QString() << 19200 / 11.0;
    QTest::newRow("one and a half") << "300,O,5,1.5" << QString() << 300 / 8.5;
    QTest::newRow("mark") << "1200,M,8,1" << QString() << 1200 / 11.0;
    QTest::newRow("lower case and blanks") << " 9600 , s , 8 , 1 " << QString() << 960.0 * 10 / 11;
    QTest::newRow("three fields") << "9600,N,8"
                                  << "expected speed,parity,data bits,stop bits" << 0.0;
    QTest::newRow("speed") << "fast,N,8,1"
                           << "the speed must be a positive whole number" << 0.0;
    QTest::newRow("zero speed") << "0,N,8,1"
                                << "the speed must be a positive whole number" << 0.0;
    QTest::newRow("parity") << "9600,X,8,1"
                            << "the parity must be one of N, E, O, M, S" << 0.0;
    QTest::newRow("data bits") << "9600,N,9,1"
                               << "the data bits must be 5 to 8" << 0.0;
    QTest::newRow("stop bits") << "9600,N,8,3"
                               << "the stop bits must be 1, 1.5 or 2" << 0.0;
}

void RunControlTest::lineSettingsTexts()
{
    QFETCH(QString, text);
    QFETCH(QString, refusal);
    QFETCH(double, charactersPerSecond);
    try {
        const LineSettings settings = LineSettings::parse(text);
        QVERIFY2(refusal.isEmpty(), "accepted");
        QCOMPARE(LineSettings::parse(settings.text()), settings);
        QCOMPARE(settings.charactersPerSecond(), charactersPerSecond);
        if (text == QLatin1String("19200,E,7,2"))
            QCOMPARE(settings, (LineSettings{19200, LineSettings::Parity::Even, 7,
                                             LineSettings::StopBits::Two}));
    } catch (const SimulatorError& error) {
        QCOMPARE(error.kind(), ErrorKind::PortRefused);
        QCOMPARE(error.reason(),
                 QStringLiteral("the line settings \"%1\" are not valid: %2").arg(text, refusal));
    }
}

QTEST_APPLESS_MAIN(RunControlTest)
#include "tst_runcontrol.moc"
