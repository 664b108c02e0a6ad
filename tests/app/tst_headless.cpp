// The headless program's pieces: options, commands, `show` and the tick trace, on the core in
// virtual time with a recording port.
#include "app/CommandInterpreter.h"
#include "app/FormStatePrinter.h"
#include "app/Options.h"
#include "app/Session.h"
#include "app/TickTracePrinter.h"
#include "core/UsageError.h"
#include "tests/support/SimulatorRig.h"

#include <QTemporaryDir>
#include <QTest>

using namespace std::chrono_literals;

namespace
{
// The simulator as the command reader drives it, with its outputs kept.
struct Rig {
    Rig()
    {
        sim.setSetup(QStringLiteral("1"), QStringLiteral("0"), QStringLiteral("1"),
                     QStringLiteral("2"));
        sim.simulator.Form_Load();
    }
    void run(const QString& line) { interpreter.execute(line); }
    QString takeOut() { return std::exchange(outText, QString()); }
    QStringList takeErrors() { return std::exchange(sim.reporter.reports, {}); }

    SimulatorRig sim;
    QString outText;
    QTextStream out{&outText};
    int quits = 0;
    CommandInterpreter interpreter{sim.simulator, out, sim.reporter, [this] { ++quits; }};
};
} // namespace

class HeadlessTest : public QObject
{
    Q_OBJECT
private slots:
    void endingTheProgramHandlesNoMoreTicks()
    {
        QTemporaryDir dir;
        QFile setup(dir.filePath(QStringLiteral("setup.ini")));
        QVERIFY(setup.open(QIODevice::WriteOnly));
        setup.write("[setup]\nNumKTron=5\nNumModbus=0\nNum6B=0\nNumRelay=0\nPLCTerminator=1\n");
        setup.close();
        const Options options =
            Options::parse({QStringLiteral("--settings"), setup.fileName(),
                            QStringLiteral("--virtual-port"), QStringLiteral("--start")});
        RecordingReporter reporter;
        const std::unique_ptr<Session> session = Session::open(options, reporter);
        session->begin();
        QVERIFY(session->form().MSComm1.portOpen());
        session->end(); // as "Close": the run is not stopped, its ticks are no longer handled
        QTest::qWait(1300);
        QCOMPARE(session->form().Timer4.interval(), 1000); // its first tick would make it 500
        QVERIFY(reporter.reports.isEmpty());
    }

    void optionsAreRead()
    {
        const std::optional<Options> options = Options::parse(
            {QStringLiteral("--headless"), QStringLiteral("--start"), QStringLiteral("--trace"),
             QStringLiteral("--duration"), QStringLiteral("2.5"), QStringLiteral("--set"),
             QStringLiteral("points=40"), QStringLiteral("--set=Text8="),
             QStringLiteral("--settings=/tmp/s.ini"), QStringLiteral("--port"),
             QStringLiteral("3=/dev/ttyUSB0"), QStringLiteral("--virtual-port=/tmp/line")});
        QVERIFY(options->headless && options->start && options->trace);
        QCOMPARE(options->durationMs, std::optional<qint64>(2500));
        QCOMPARE(options->entries.size(), 2);
        QCOMPARE(options->entries[0].field, 1);
        QCOMPARE(options->entries[0].text, QStringLiteral("40"));
        QCOMPARE(options->entries[1].field, 8);
        QCOMPARE(options->entries[1].text, QString());
        QCOMPARE(options->settingsFile, QStringLiteral("/tmp/s.ini"));
        QCOMPARE(options->ports.devicePath(3), QStringLiteral("/dev/ttyUSB0"));
        QVERIFY(options->virtualPort);
        QCOMPARE(options->virtualLink, QStringLiteral("/tmp/line"));
    }

    void badUsageIsRefusedWithAReason_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("why"); // "<argument at fault>: <what is wrong>"
        QTest::newRow("unknown") << QStringList{QStringLiteral("--fast")}
                                 << QStringLiteral("--fast: unknown option (see --help)");
        QTest::newRow("duration missing")
            << QStringList{QStringLiteral("--duration")}
            << QStringLiteral("--duration: expects a number of seconds, e.g. --duration 60");
        QTest::newRow("duration negative")
            << QStringList{QStringLiteral("--duration=-1")}
            << QStringLiteral("--duration: expects a number of seconds, e.g. --duration 60");
        QTest::newRow("set without =")
            << QStringList{QStringLiteral("--set"), QStringLiteral("Text1")}
            << QStringLiteral("--set: expects FIELD=TEXT, e.g. --set Text1=30");
        QTest::newRow("set Text5")
            << QStringList{QStringLiteral("--set"), QStringLiteral("Text5=3")}
            << QStringLiteral(
                   "--set Text5=3: Text5 shows the switch count; it is not an entry field");
        QTest::newRow("port") << QStringList{QStringLiteral("--port"), QStringLiteral("COM1")}
                              << QStringLiteral("--port: expects N=DEVICE with N from 1 to 32767, "
                                                "e.g. --port 1=/dev/ttyUSB0; got \"COM1\"");
        QTest::newRow("port without device")
            << QStringList{QStringLiteral("--port=3=")}
            << QStringLiteral("--port: expects N=DEVICE with N from 1 to 32767, e.g. --port "
                              "1=/dev/ttyUSB0; got \"3=\"");
        QTest::newRow("port out of range")
            << QStringList{QStringLiteral("--port"), QStringLiteral("40000=/dev/x")}
            << QStringLiteral("--port: expects N=DEVICE with N from 1 to 32767, e.g. --port "
                              "1=/dev/ttyUSB0; got \"40000=/dev/x\"");
        QTest::newRow("positional") << QStringList{QStringLiteral("start")}
                                    << QStringLiteral("start: unknown option (see --help)");
        QTest::newRow("empty link") << QStringList{QStringLiteral("--virtual-port=")}
                                    << QStringLiteral("--virtual-port: needs a link path after "
                                                      "the =");
    }

    void badUsageIsRefusedWithAReason()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, why);
        try {
            Options::parse(arguments);
            QFAIL("accepted");
        } catch (const UsageError& error) {
            QCOMPARE(error.action() + QLatin1String(": ") + error.message(), why);
        }
    }

    void showPrintsTheWholeForm()
    {
        Rig rig;
        rig.run(QStringLiteral("  SHOW  "));
        QCOMPARE(rig.takeOut(),
                 QStringLiteral("Text1=3\nText2=10\nText3=500\nText4=1\nText5=0\nText6=2\n"
                                "Text7=1\nText8=63536\nShape5.FillColor=16384\n"
                                "Shape5.BorderColor=14737632\nShape1.FillColor=255\n"
                                "Shape3(1).FillColor=65280\nShape3(2).FillColor=65280\n"
                                "Shape3(3).FillColor=65280\nShape3(4).FillColor=65280\n"
                                "Shape3(1).Visible=True\nShape3(2).Visible=True\n"
                                "Shape3(3).Visible=False\nShape3(4).Visible=False\n"
                                "Command4(1).Visible=True\nCommand4(2).Visible=True\n"
                                "Command4(3).Visible=False\nCommand4(4).Visible=False\n"
                                "Timer1.Enabled=True\nTimer1.Interval=0\n"
                                "Timer2.Enabled=True\nTimer2.Interval=0\n"
                                "Timer3.Enabled=True\nTimer3.Interval=0\n"
                                "Timer4.Enabled=True\nTimer4.Interval=0\n"
                                "Timer5.Enabled=True\nTimer5.Interval=0\n"
                                "Timer6.Enabled=True\nTimer6.Interval=0\n"
                                "AlarmState(1)=0\nAlarmState(2)=0\nAlarmState(3)=0\n"
                                "AlarmState(4)=0\nSwitchTicks=0\nMSComm1.PortOpen=False\nend\n"));
        QCOMPARE(rig.takeErrors(), QStringList());
    }

    void startAlarmStopDriveTheRun()
    {
        Rig rig;
        rig.run(QStringLiteral("set points 10"));
        rig.run(QStringLiteral("Start"));
        QCOMPARE(rig.sim.port.opened, QList<qint16>{1});
        rig.sim.clock.advanceTo(1000ms);
        rig.run(QStringLiteral("alarm 2"));
        rig.sim.clock.advanceTo(1500ms);
        rig.run(QStringLiteral(" stop "));
        rig.sim.clock.advanceTo(3000ms);
        QCOMPARE(rig.sim.port.closes, 1);
        const QByteArray values = "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10\r\n";
        QCOMPARE(rig.sim.port.allBytes(),
                 values + "0\r\n0\r\n63536\r\n" + values + "0\r\n1\r\n63536\r\n");
        rig.run(QStringLiteral("show"));
        const QString shown = rig.takeOut();
        QVERIFY(shown.contains(QLatin1String("\nAlarmState(2)=1\n")));
        QVERIFY(shown.contains(QLatin1String("\nShape3(2).FillColor=255\n")));
        QVERIFY(shown.contains(QLatin1String("\nMSComm1.PortOpen=False\n")));
        QVERIFY(shown.contains(QLatin1String("\nShape5.FillColor=20480\n")));
        QCOMPARE(rig.takeErrors(), QStringList());
    }

    void refusalsGoToStandardError_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("error");
        QTest::newRow("hidden button")
            << QStringLiteral("alarm 3") << QStringLiteral("alarm 3: alarm button A3 is not shown");
        QTest::newRow("no such button")
            << QStringLiteral("alarm 9") << QStringLiteral("alarm 9: alarm button A9 is not shown");
        QTest::newRow("not a number")
            << QStringLiteral("alarm one")
            << QStringLiteral("alarm: expected an alarm button number, e.g. alarm 1");
        QTest::newRow("unknown") << QStringLiteral("  launch  rockets ")
                                 << QStringLiteral("launch  rockets: unknown command");
        QTest::newRow("start with words")
            << QStringLiteral("start now") << QStringLiteral("start now: unknown command");
        QTest::newRow("field") << QStringLiteral("set Text9 1")
                               << QStringLiteral("set: no entry field \"Text9\" (Text1, Text2, "
                                                 "Text3, Text4, Text6, Text7, Text8 or points, "
                                                 "pagegap, gap, pages, alarms, port, terminator)");
    }

    void refusalsGoToStandardError()
    {
        QFETCH(QString, command);
        QFETCH(QString, error);
        Rig rig;
        rig.run(command);
        QCOMPARE(rig.takeErrors().join(QLatin1Char('\n')), error);
        QCOMPARE(rig.takeOut(), QString());
        QVERIFY(rig.sim.port.opened.isEmpty());
        QCOMPARE(rig.sim.form.AlarmState(1), qint16(0));
    }

    void setChecksTheEntryAndKeepsTheOldTextWhenRefused_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("error");
        QTest::newRow("accepted") << QStringLiteral("set TEXT1 200") << 1 << QStringLiteral("200")
                                  << QString();
        QTest::newRow("alias") << QStringLiteral("set gap 750") << 3 << QStringLiteral("750")
                               << QString();
        QTest::newRow("too many points")
            << QStringLiteral("set Text1 201") << 1 << QStringLiteral("3")
            << QStringLiteral("set Text1: Invalid Data Points: Please insert a number >=10  or  "
                              "<200.");
        QTest::newRow("empty terminator")
            << QStringLiteral("set terminator") << 8 << QStringLiteral("63536")
            << QStringLiteral("set terminator: Invalid Data Terminator: Please insert a Data "
                              "Terminator.");
        QTest::newRow("port 9") << QStringLiteral("set Text7 9") << 7 << QStringLiteral("1")
                                << QStringLiteral("set Text7: Invalid Port Number: Please insert "
                                                  "a number from 1 to 8.");
        QTest::newRow("quoted") << QStringLiteral("set Text8 \" 42 \"") << 8
                                << QStringLiteral(" 42 ") << QString();
    }

    void setChecksTheEntryAndKeepsTheOldTextWhenRefused()
    {
        QFETCH(QString, command);
        QFETCH(int, field);
        QFETCH(QString, text);
        QFETCH(QString, error);
        Rig rig;
        rig.run(command);
        QCOMPARE(rig.sim.form.text(field).text(), text);
        QCOMPARE(rig.takeErrors().join(QLatin1Char('\n')), error);
    }

    void quitEndsWithoutStop()
    {
        Rig rig;
        rig.run(QStringLiteral("start"));
        rig.run(QStringLiteral("QUIT"));
        QCOMPARE(rig.quits, 1);
        QCOMPARE(rig.sim.port.closes, 0);
        QVERIFY(rig.sim.form.MSComm1.portOpen());
    }

    void traceLines_data()
    {
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QString>("line");
        QTest::newRow("one-page") << QStringList{QStringLiteral("1"), QStringLiteral("2"),
                                                 QStringLiteral("3"), QStringLiteral("0"),
                                                 QStringLiteral("1"), QStringLiteral("63536")}
                                  << QStringLiteral("1000 Timer4 22 1 2 3 0 1 63536");
        QTest::newRow("empty terminator") << QStringList{QStringLiteral("1"), QString()}
                                          << QStringLiteral("1000 Timer4 5 1 \"\"");
        QTest::newRow("blank and beyond Latin-1")
            << QStringList{QStringLiteral("a b"), QStringLiteral("\u20ac")}
            << QStringLiteral("1000 Timer4 8 \"a b\" \u20ac");
        QTest::newRow("nothing") << QStringList{} << QStringLiteral("1000 Timer4 0");
    }

    void traceLines()
    {
        QFETCH(QStringList, texts);
        QFETCH(QString, line);
        QStringList written;
        qint64 bytes = 0;
        for (const QString& text : texts) {
            written.append(text + QStringLiteral("\r\n"));
            bytes += SerialControl::lineBytes(written.last()).size();
        }
        const TickRecord tick{written, true, true, bytes};
        QCOMPARE(TickTracePrinter::line(1000, QStringLiteral("Timer4"), tick), line);
    }
};

QTEST_GUILESS_MAIN(HeadlessTest)
#include "tst_headless.moc"
