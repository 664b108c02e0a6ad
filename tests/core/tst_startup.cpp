#include "tests/support/SimulatorRig.h"

#include <QtTest>

using namespace std::chrono_literals;

// Start-up: the setup read from the store becomes the fields, alarm buttons and lamps.
class StartupTest : public QObject
{
    Q_OBJECT

private slots:
    void derivesTheLayout_data();
    void derivesTheLayout();
    void showsOneButtonAndLampPerAlarm_data();
    void showsOneButtonAndLampPerAlarm();
    void terminatorIsTakenAsStored_data();
    void terminatorIsTakenAsStored();
    void failsAtTheKeyThatIsWrong_data();
    void failsAtTheKeyThatIsWrong();
    void showsTheSwitchCount();
    void leavesTheOtherFieldsAsCreated();
};

void StartupTest::derivesTheLayout_data()
{
    QTest::addColumn<QString>("k");
    QTest::addColumn<QString>("m");
    QTest::addColumn<QString>("b");
    QTest::addColumn<QString>("r");
    QTest::addColumn<QString>("text1");
    QTest::addColumn<QString>("text4");
    QTest::addColumn<QString>("text6");

    QTest::newRow("nothing") << "0"
                             << "0"
                             << "0"
                             << "0"
                             << "0"
                             << "1"
                             << "0";
    QTest::newRow("L 38") << "10"
                          << "5"
                          << "3"
                          << "4"
                          << "33"
                          << "1"
                          << "4";
    QTest::newRow("L 64 one page") << "20"
                                   << "10"
                                   << "2"
                                   << "1"
                                   << "62"
                                   << "1"
                                   << "1";
    QTest::newRow("L 65 two pages, half") << "20"
                                          << "10"
                                          << "3"
                                          << "1"
                                          << "31.5"
                                          << "2"
                                          << "1";
    QTest::newRow("relays count to L, not P") << "16"
                                              << "16"
                                              << "0"
                                              << "0"
                                              << "32"
                                              << "2"
                                              << "0";
    QTest::newRow("relays alone") << "0"
                                  << "0"
                                  << "0"
                                  << "4"
                                  << "0"
                                  << "1"
                                  << "4";
    QTest::newRow("2.5 K-Trons to even 2") << "2.5"
                                           << "0"
                                           << "0"
                                           << "0"
                                           << "4"
                                           << "1"
                                           << "0";
    QTest::newRow("negative relays") << "1"
                                     << "0"
                                     << "0"
                                     << "-3"
                                     << "2"
                                     << "1"
                                     << "-3";
}

void StartupTest::derivesTheLayout()
{
    QFETCH(QString, k);
    QFETCH(QString, m);
    QFETCH(QString, b);
    QFETCH(QString, r);
    SimulatorRig rig;
    rig.setSetup(k, m, b, r);
    QVERIFY(rig.simulator.Form_Load());
    QTEST(rig.form.Text1.text(), "text1");
    QTEST(rig.form.Text4.text(), "text4");
    QTEST(rig.form.Text6.text(), "text6");
    QVERIFY(rig.reporter.reports.isEmpty());
}

void StartupTest::showsOneButtonAndLampPerAlarm_data()
{
    QTest::addColumn<QString>("relays");
    QTest::addColumn<int>("shown");

    QTest::newRow("none") << "0" << 0;
    QTest::newRow("negative") << "-1" << 0;
    QTest::newRow("one") << "1" << 1;
    QTest::newRow("four") << "4" << 4;
    QTest::newRow("five sets up the four there are") << "5" << 4;
}

void StartupTest::showsOneButtonAndLampPerAlarm()
{
    QFETCH(QString, relays);
    QFETCH(int, shown);
    SimulatorRig rig;
    rig.setSetup("1", "0", "0", relays);
    rig.form.setAlarmState(1, 1); // start-up clears what it sets up
    QVERIFY(rig.simulator.Form_Load());
    for (int i = 1; i <= 4; ++i) {
        QCOMPARE(rig.form.Command4(i).visible(), i <= shown);
        QCOMPARE(rig.form.Shape3(i).visible(), i <= shown);
        QCOMPARE(rig.form.Shape3(i).fillColor(), Colours::alarmClear);
    }
    QCOMPARE(int(rig.form.AlarmState(1)), shown >= 1 ? 0 : 1);
    QCOMPARE(rig.form.Text6.text(), relays);
}

void StartupTest::terminatorIsTakenAsStored_data()
{
    QTest::addColumn<QString>("stored");
    QTest::newRow("digits") << "63536";
    QTest::newRow("blanks, commas, quotes, backslashes") << R"( a, "b" \c )";
    QTest::newRow("empty") << "";
}

void StartupTest::terminatorIsTakenAsStored()
{
    QFETCH(QString, stored);
    SimulatorRig rig;
    rig.setSetup("1", "1", "1", "1", stored);
    QVERIFY(rig.simulator.Form_Load());
    QCOMPARE(rig.form.Text8.text(), stored);
}

void StartupTest::failsAtTheKeyThatIsWrong_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("stored"); // "<absent>" removes the key
    QTest::addColumn<QString>("report");
    QTest::addColumn<QString>("text6"); // what start-up got as far as

    QTest::newRow("absent NumKTron")
        << "NumKTron"
        << "<absent>"
        << "Start-up: the setup key \"NumKTron\" is absent from the built-in setup (type mismatch)"
        << "1";
    QTest::newRow("NumModbus not a number")
        << "NumModbus"
        << "ten"
        << "Start-up: the setup key \"NumModbus\" in the built-in setup holds \"ten\", not a "
           "number (type mismatch)"
        << "1";
    QTest::newRow("NumRelay out of range")
        << "NumRelay"
        << "40000"
        << "Start-up: the setup key \"NumRelay\" in the built-in setup holds \"40000\", out of "
           "range (overflow)"
        << "1";
    QTest::newRow("K times 2 overflows")
        << "NumKTron"
        << "16384"
        << "Start-up: the number of data points in the setup reaches 32768, outside "
           "-32768..32767 (overflow)"
        << "2";
}

void StartupTest::failsAtTheKeyThatIsWrong()
{
    QFETCH(QString, key);
    QFETCH(QString, stored);
    QFETCH(QString, report);
    QFETCH(QString, text6);
    SimulatorRig rig;
    const QString absent = QStringLiteral("<absent>");
    for (const char* name : {"NumKTron", "NumModbus", "Num6B", "NumRelay"})
        if (key != QLatin1String(name))
            rig.setKey(name, QStringLiteral("2"));
    if (stored != absent)
        rig.setKey(qPrintable(key), stored);
    QVERIFY(!rig.simulator.Form_Load());
    QCOMPARE(rig.reporter.reports, QStringList{report});
    // Stopped at that step: nothing after it ran.
    QCOMPARE(rig.form.Text6.text(), text6);
    QCOMPARE(rig.form.Text5.text(), QStringLiteral("Text5"));
    QVERIFY(!rig.form.Command4(1).visible());
}

void StartupTest::showsTheSwitchCount()
{
    SimulatorRig rig;
    rig.setSetup("1", "0", "0", "0");
    QCOMPARE(rig.form.Text5.text(), QStringLiteral("Text5"));
    QVERIFY(rig.simulator.Form_Load());
    QCOMPARE(rig.form.Text5.text(), QStringLiteral("0"));
    QCOMPARE(int(rig.form.SwitchTicks()), 0);
}

void StartupTest::leavesTheOtherFieldsAsCreated()
{
    SimulatorRig rig;
    rig.setSetup("20", "10", "3", "1", "END");
    QVERIFY(rig.simulator.Form_Load());
    QCOMPARE(rig.form.Text2.text(), QStringLiteral("10"));
    QCOMPARE(rig.form.Text3.text(), QStringLiteral("500"));
    QCOMPARE(rig.form.Text7.text(), QStringLiteral("1"));
    QCOMPARE(rig.form.Shape5.fillColor(), Colours::runningDark);
    QCOMPARE(rig.form.Shape5.borderColor(), Colours::lightGrey);
    QCOMPARE(rig.form.Shape1.fillColor(), Colours::stoppedLit);
    QVERIFY(!rig.form.MSComm1.portOpen());
    // Every timer enabled with interval 0: a long wait brings no tick.
    rig.clock.advanceTo(60000ms);
    QVERIFY(rig.line.writes.isEmpty());
    for (int t = 1; t <= 6; ++t) {
        QVERIFY(rig.form.timer(t).enabled());
        QCOMPARE(rig.form.timer(t).interval(), 0);
    }
}

QTEST_APPLESS_MAIN(StartupTest)
#include "tst_startup.moc"
