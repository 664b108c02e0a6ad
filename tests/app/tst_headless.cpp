// The headless program's pieces: options, commands, `show` and the tick trace, on the core in
// virtual time with a recording port.
#include "app/ActionLog.h"
#include "app/CommandInterpreter.h"
#include "app/ExampleSetup.h"
#include "app/FormStatePrinter.h"
#include "app/Options.h"
#include "app/RunRecord.h"
#include "app/ScenarioScript.h"
#include "app/Session.h"
#include "app/StandardErrorReporter.h"
#include "app/TickTracePrinter.h"
#include "core/LineFaults.h"
#include "core/OpenDryx.h"
#include "core/UsageError.h"
#include "platform/IniFileSettingsStore.h"
#include "tests/support/RecordingLauncher.h"
#include "tests/support/SimulatorRig.h"

#include <QTemporaryDir>
#include <QTest>

#ifndef Q_OS_WIN
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

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
        interpreter.setFaults(&faults);
    }
    void run(const QString& line) { interpreter.execute(line); }
    QString takeOut() { return std::exchange(outText, QString()); }
    QStringList takeErrors() { return std::exchange(sim.reporter.reports, {}); }

    SimulatorRig sim;
    RecordingLauncher launcher;
    RecordingPorts winePorts;
    OpenDryx openDryx{sim.form, sim.rules, launcher, winePorts, sim.reporter};
    QString outText;
    QTextStream out{&outText};
    int quits = 0;
    CommandInterpreter interpreter{sim.simulator, openDryx, out, sim.reporter, [this] { ++quits; }};
    LineFaults faults{1};
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
#ifdef Q_OS_WIN
        // No pseudo-terminals: the option is refused with what to use instead.
        try {
            Session::open(options, reporter);
            QFAIL("--virtual-port accepted on Windows");
        } catch (const UsageError& error) {
            QCOMPARE(error.action(), QStringLiteral("--virtual-port"));
            QVERIFY2(error.message().startsWith(QStringLiteral(
                         "there is no virtual line on Windows (it is a Linux pseudo-terminal); "
                         "for a desk without serial hardware, install a virtual COM port pair "
                         "such as com0com")),
                     qPrintable(error.message()));
        }
        QSKIP("the rest needs the virtual line");
#endif
        const std::unique_ptr<Session> session = Session::open(options, reporter);
        session->begin();
        QVERIFY(session->form().MSComm1.portOpen());
        session->end(); // as "Close": the run is not stopped, its ticks are no longer handled
        QTest::qWait(1300);
        QCOMPARE(session->form().Timer4.interval(), 1000); // its first tick would make it 500
        QVERIFY(reporter.reports.isEmpty());
    }

    // No setup at all is said once (one box in the window), naming the example setup by the
    // absolute path where it is: an installation's documentation, else the source tree's.
    void noSetupIsSaidOnceWithTheExampleWhereItIs()
    {
        QTemporaryDir config, installation;
        const QByteArray configHome = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
        RecordingReporter reporter;
        Session::open(
            Options::parse({QStringLiteral("--virtual-time"), QStringLiteral("--duration=1")}),
            reporter);
        qputenv("XDG_CONFIG_HOME", configHome);
        const QString source = ExampleSetup::path(QCoreApplication::applicationDirPath());
        QVERIFY(QFileInfo(source).isAbsolute() && QFileInfo::exists(source));
        QVERIFY(source.endsWith(QLatin1String("/examples/setup.ini")));
#ifdef Q_OS_WIN
        // The registry of a prefix (or a PC) where DRYX never ran.
        const QString where =
            QStringLiteral("in the registry at HKEY_CURRENT_USER\\Software\\VB and "
                           "VBA Program Settings\\kelmarith");
#else
        const QString where =
            QStringLiteral("at %1/VB and VBA Program Settings/kelmarith.ini").arg(config.path());
#endif
        QCOMPARE(reporter.reports,
                 QStringList{QStringLiteral("Start-up: there is no setup %1; to give the tool a "
                                            "setup, write it there or name an INI file with "
                                            "--settings FILE, such as --settings %2; the fields "
                                            "keep the window's values (no setup)")
                                 .arg(where, source)});

        const QString installed =
            installation.filePath(QStringLiteral("share/doc/dryx-plc-test/examples/setup.ini"));
        QVERIFY(QDir().mkpath(QFileInfo(installed).path()) &&
                QDir().mkpath(installation.filePath("bin")));
        QCOMPARE(ExampleSetup::path(installation.filePath(QStringLiteral("bin"))), source);
        QFile file(installed);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QCOMPARE(ExampleSetup::path(installation.filePath(QStringLiteral("bin"))), installed);
    }

    void optionsAreRead()
    {
        const std::optional<Options> options = Options::parse(
            {QStringLiteral("--headless"), QStringLiteral("--start"), QStringLiteral("--trace"),
             QStringLiteral("--duration"), QStringLiteral("2.5"), QStringLiteral("--set"),
             QStringLiteral("points=40"), QStringLiteral("--set=Text8="),
             QStringLiteral("--settings=/tmp/s.ini"), QStringLiteral("--port"),
             QStringLiteral("3=/dev/ttyUSB0"), QStringLiteral("--log-append=run.log")});
        QVERIFY(options->headless && options->start && options->trace);
        QCOMPARE(options->durationMs, std::optional<qint64>(2500));
        QCOMPARE(options->entries.size(), 2);
        QCOMPARE(options->entries[0].field, 1);
        QCOMPARE(options->entries[0].text, QStringLiteral("40"));
        QCOMPARE(options->entries[1].field, 8);
        QCOMPARE(options->entries[1].text, QString());
        QCOMPARE(options->settingsFile, QStringLiteral("/tmp/s.ini"));
        QCOMPARE(options->ports.devicePath(3), QStringLiteral("/dev/ttyUSB0"));
#ifdef Q_OS_WIN
        QCOMPARE(options->ports.devicePath(1), QStringLiteral("COM1"));
        QCOMPARE(options->ports.devicePath(9), QStringLiteral("COM9"));
        QCOMPARE(options->ports.devicePath(10), QStringLiteral("\\\\.\\COM10"));
#else
        QCOMPARE(options->ports.devicePath(1), QStringLiteral("/dev/ttyS0"));
#endif
        QVERIFY(!options->virtualPort);
        const Options virtualLine = Options::parse({QStringLiteral("--virtual-port=/tmp/line")});
        QVERIFY(virtualLine.virtualPort);
        QCOMPARE(virtualLine.virtualLink, QStringLiteral("/tmp/line"));
        // A device alone, as tio and picocom take it: every Com Port is that device.
        const Options device = Options::parse({QStringLiteral("./ttyUSB0"), QStringLiteral("-V")});
        QCOMPARE(device.ports.devicePath(1), QStringLiteral("./ttyUSB0"));
        QCOMPARE(device.ports.devicePath(8), QStringLiteral("./ttyUSB0"));
        QVERIFY(options->logAppend);
        QCOMPARE(options->logFile, QStringLiteral("run.log"));
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
        QTest::newRow("positional word")
            << QStringList{QStringLiteral("start")}
            << QStringLiteral("start: neither an option nor a device: a device is a path, e.g. "
                              "/dev/ttyUSB0 (see --help)");
        QTest::newRow("two devices")
            << QStringList{QStringLiteral("/dev/ttyUSB0"), QStringLiteral("/dev/ttyUSB1")}
            << QStringLiteral("/dev/ttyUSB1: a second device: /dev/ttyUSB0 is already the line, "
                              "for every Com Port");
        QTest::newRow("device and virtual line")
            << QStringList{QStringLiteral("--virtual-port"), QStringLiteral("/dev/ttyUSB0")}
            << QStringLiteral("/dev/ttyUSB0: a device and --virtual-port are two lines: give one "
                              "of them");
        QTest::newRow("device and --port")
            << QStringList{QStringLiteral("/dev/ttyUSB0"), QStringLiteral("--port=2=/dev/ttyS4")}
            << QStringLiteral(
                   "/dev/ttyUSB0: a device is the line for every Com Port, which leaves nothing "
                   "to --port: give the device alone, or as --port N=DEVICE");
        QTest::newRow("virtual line and --port")
            << QStringList{QStringLiteral("--port=2=/dev/ttyS4"), QStringLiteral("--virtual-port")}
            << QStringLiteral("--virtual-port: sends whatever the Com Port, which leaves nothing "
                              "to --port: give one of them");
        QTest::newRow("link with a line break")
            << QStringList{QStringLiteral("--virtual-port=/tmp/a\nb\x1b[2J")}
            << QStringLiteral("--virtual-port: the link \"/tmp/a\\x0Ab\\x1B[2J\" has a control "
                              "character in its name (shown as \\xHH): give a name without line "
                              "breaks, tabs or escapes");
        QTest::newRow("empty link") << QStringList{QStringLiteral("--virtual-port=")}
                                    << QStringLiteral("--virtual-port: needs a link path after "
                                                      "the =");
        QTest::newRow("virtual time without an end")
            << QStringList{QStringLiteral("--virtual-time")}
            << QStringLiteral("--virtual-time: needs --script or --duration, or the run would "
                              "never end");
        QTest::newRow("virtual time on a line")
            << QStringList{QStringLiteral("--virtual-time"), QStringLiteral("--virtual-port"),
                           QStringLiteral("--duration=1")}
            << QStringLiteral("--virtual-time: runs with no line at all: leave out "
                              "--virtual-port, --port and the device");
        QTest::newRow("virtual time on a device")
            << QStringList{QStringLiteral("/dev/ttyUSB0"), QStringLiteral("--virtual-time"),
                           QStringLiteral("--duration=1")}
            << QStringLiteral("--virtual-time: runs with no line at all: leave out "
                              "--virtual-port, --port and the device");
        QTest::newRow("two records")
            << QStringList{QStringLiteral("--log=a"), QStringLiteral("--log-append"),
                           QStringLiteral("b")}
            << QStringLiteral("--log-append: one record a run: --log FILE makes it afresh, "
                              "--log-append FILE adds to it");
        QTest::newRow("seed") << QStringList{QStringLiteral("--seed=-1")}
                              << QStringLiteral("--seed: expects a whole number from 0, e.g. "
                                                "--seed 7");
    }

    // A script is checked whole before anything runs; the first step at fault is named.
    void aScriptIsCheckedWhole_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("why"); // empty: accepted
        QTest::newRow("good") << "# rig\n\nat 0 start\n  at 0 fault cut x2\nat 70 quit\n"
                              << QString();
        QTest::newRow("unknown command") << "at 0 start\nat 10 frob 3\n"
                                         << "rig.txt:2: frob 3: unknown command (help lists them)";
        QTest::newRow("backwards") << "at 100 start\nat 99 stop\n"
                                   << "rig.txt:2: at 99 comes after at 100: steps go in time order";
        QTest::newRow("bad number")
            << "at 1e3 start\n"
            << "rig.txt:1: \"1e3\" is not a time: a whole number of milliseconds since start-up, "
               "e.g. at 3000 alarm 1";
        QTest::newRow("beyond the latest time")
            << "at 9223372036854775807 start\n"
            << "rig.txt:1: at 9223372036854775807 is later than a step can be: at most "
               "31536000000 ms (365 days) after start-up";
        QTest::newRow("beyond any number")
            << "at 0 start\nat 99999999999999999999 stop\n"
            << "rig.txt:2: at 99999999999999999999 is later than a step can be: at most "
               "31536000000 ms (365 days) after start-up";
        QTest::newRow("no time") << "start\n"
                                 << "rig.txt:1: expected \"at MS COMMAND\", e.g. at 3000 alarm 1";
        QTest::newRow("no command")
            << "at 5\n"
            << "rig.txt:1: expected a command after the time, e.g. at 5 start";
        QTest::newRow("bad fault") << "at 5 fault garble\n"
                                   << "rig.txt:1: fault: expected: fault garble K [xN]";
        QTest::newRow("launch") << "at 5 launch\n"
                                << "rig.txt:1: launch: a program cannot be launched in virtual "
                                   "time";
    }

    void aScriptIsCheckedWhole()
    {
        QFETCH(QString, text);
        QFETCH(QString, why);
        try {
            const ScenarioScript script =
                ScenarioScript::parse(QStringLiteral("rig.txt"), text, true);
            QVERIFY2(why.isEmpty(), "accepted");
            QCOMPARE(script.steps().size(), 3);
            QCOMPARE(script.steps()[1].command, QStringLiteral("fault cut x2"));
            QCOMPARE(script.steps()[1].lineNumber, 4);
            QCOMPARE(script.last(), std::chrono::milliseconds(70));
        } catch (const UsageError& error) {
            QCOMPARE(error.action() + QLatin1String(": ") + error.message(), why);
        }
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
                                "AlarmState(4)=0\nSwitchTicks=0\nMSComm1.CommPort=1\n"
                                "MSComm1.Settings=9600,N,8,1\nMSComm1.PortOpen=False\nend\n"));
        QCOMPARE(rig.takeErrors(), QStringList());
    }

    // Every accepted command says so, in one line; a refused one says nothing on standard
    // output.
    void acceptedCommandsAreConfirmed_data()
    {
        QTest::addColumn<QStringList>("commands");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QStringList>("errors");
        QTest::newRow("start, alarm, stop")
            << QStringList{"start", "alarm 1", "alarm 1", "ALARM 2", "stop"}
            << "started on Com Port 1\nalarm 1 raised\nalarm 1 cleared\nalarm 2 raised\nstopped\n"
            << QStringList();
        QTest::newRow("set") << QStringList{"set gap 600", "set Text8 \" 7 \""}
                             << "Text3 = 600\nText8 =  7 \n"
                             << QStringList();
        QTest::newRow("refused set: nothing") << QStringList{"set Text3 10"} << QString()
                                              << QStringList{"set Text3: Invalid Data String Gap: "
                                                             "Please insert a number from 500 to "
                                                             "2000."};
        QTest::newRow("a start the port refuses")
            << QStringList{"start", "start"} << "started on Com Port 1\n"
            << QStringList{"Start: cannot change the port number: Com Port 1 is already open (port "
                           "refused)"};
        QTest::newRow("launch") << QStringList{"launch"}
                                << "started c:\\program files\\dryx\\dryx.exe\n"
                                << QStringList();
        QTest::newRow("quit says nothing") << QStringList{"quit"} << QString() << QStringList();
        QTest::newRow("faults") << QStringList{"fault break 50", "FAULT extra-line \"A B\" x2"}
                                << "fault break 50 armed for the next data string (this line has "
                                   "no break condition: it will be silent for 50 ms)\nfault "
                                   "extra-line \"A B\" x2 armed for the next 2 data strings\n"
                                << QStringList();
    }

    void acceptedCommandsAreConfirmed()
    {
        QFETCH(QStringList, commands);
        QFETCH(QString, out);
        QFETCH(QStringList, errors);
        Rig rig;
        for (const QString& command : commands)
            rig.run(command);
        QCOMPARE(rig.takeOut(), out);
        QCOMPARE(rig.takeErrors(), errors);
    }

    void helpListsEveryCommand()
    {
        Rig rig;
        rig.run(QStringLiteral("HELP"));
        const QString help = rig.takeOut();
        QCOMPARE(help, CommandInterpreter::help());
        for (const char* command : {"start", "stop", "alarm N", "set FIELD TEXT", "show", "status",
                                    "launch", "help", "quit"})
            QVERIFY2(help.contains(QLatin1String("\n  ") + QLatin1String(command) + ' '), command);
        QCOMPARE(rig.takeErrors(), QStringList());
    }

    // `launch` is the picture's click: through Wine, a COM port of the prefix is mapped to the
    // virtual line first (the one of Com Port at that moment, or --wine-com), once.
    void launchMapsTheComPortForWine()
    {
        Rig rig;
        rig.launcher.throughWine = true;
        OpenDryx openDryx(rig.sim.form, rig.sim.rules, rig.launcher, rig.winePorts,
                          rig.sim.reporter, OpenDryx::VirtualLine{"/tmp/dryx-line", std::nullopt});
        CommandInterpreter interpreter(rig.sim.simulator, openDryx, rig.out, rig.sim.reporter,
                                       [] {});
        interpreter.execute(QStringLiteral("set port 3"));
        interpreter.execute(QStringLiteral("launch"));
        interpreter.execute(QStringLiteral("launch"));
        QCOMPARE(rig.takeOut(), QStringLiteral("Text7 = 3\n"
                                               "started c:\\program files\\dryx\\dryx.exe "
                                               "through Wine\n"
                                               "started c:\\program files\\dryx\\dryx.exe "
                                               "through Wine\n"));
        QCOMPARE(rig.winePorts.ports, (QMap<int, QString>{{3, "/tmp/dryx-line"}}));
        QCOMPARE(rig.sim.reporter.notices,
                 QStringList{"Open DRYX: COM3 of ~/.wine \u2192 /tmp/dryx-line"});
        QCOMPARE(rig.launcher.started.size(), 2);

        OpenDryx chosen(rig.sim.form, rig.sim.rules, rig.launcher, rig.winePorts, rig.sim.reporter,
                        OpenDryx::VirtualLine{"/tmp/dryx-line", 5});
        QString done;
        chosen.Picture4_Click([&done](const QString& what) { done = what; });
        QCOMPARE(done, QStringLiteral("started c:\\program files\\dryx\\dryx.exe through Wine"));
        QCOMPARE(rig.winePorts.ports.value(5), QStringLiteral("/tmp/dryx-line"));

        OpenDryx unlinked(rig.sim.form, rig.sim.rules, rig.launcher, rig.winePorts,
                          rig.sim.reporter, OpenDryx::VirtualLine{QString(), std::nullopt});
        unlinked.Picture4_Click();
        QCOMPARE(rig.sim.reporter.notices.last(),
                 QStringLiteral("Open DRYX: no COM port of Wine was mapped to the virtual line: it "
                                "has no link (--virtual-port=LINK)"));

        // A launch still waiting for Wine when the program ends is told, not dropped.
        rig.winePorts.answers = false;
        const qsizetype startedBefore = rig.launcher.started.size();
        interpreter.execute(QStringLiteral("launch"));
        RecordingReporter atTheEnd;
        openDryx.programEnds(atTheEnd);
        QCOMPARE(atTheEnd.reports,
                 QStringList{"Open DRYX: the program ended while COM3 of Wine was being mapped to "
                             "/tmp/dryx-line: \"c:\\program files\\dryx\\dryx.exe\" was not "
                             "started (program not started)"});
        QCOMPARE(rig.launcher.started.size(), startedBefore);

        rig.winePorts.answers = true;
        rig.launcher.failure = QStringLiteral("Wine is not installed");
        interpreter.execute(QStringLiteral("launch"));
        QCOMPARE(rig.takeErrors().last(),
                 QStringLiteral("Open DRYX: cannot start \"c:\\program files\\dryx\\dryx.exe\": "
                                "Wine is not installed (program not started)"));
    }

    void startAlarmStopDriveTheRun()
    {
        Rig rig;
        rig.run(QStringLiteral("set points 10"));
        rig.run(QStringLiteral("Start"));
        QCOMPARE(rig.sim.line.opened, QList<qint16>{1});
        rig.sim.clock.advanceTo(1000ms);
        rig.run(QStringLiteral("alarm 2"));
        rig.sim.clock.advanceTo(1500ms);
        rig.run(QStringLiteral(" stop "));
        rig.sim.clock.advanceTo(3000ms);
        QCOMPARE(rig.sim.line.closes, 1);
        const QByteArray values = "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10\r\n";
        QCOMPARE(rig.sim.line.allBytes(),
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
                                 << QStringLiteral(
                                        "launch  rockets: unknown command (help lists them)");
        QTest::newRow("start with words")
            << QStringLiteral("start now")
            << QStringLiteral("start now: unknown command (help lists them)");
        QTest::newRow("fault") << QStringLiteral("fault drop-line 0")
                               << QStringLiteral("fault: K is a whole number from 1 to 32767");
        QTest::newRow("fault count")
            << QStringLiteral("fault cut x0")
            << QStringLiteral("fault: xN counts data strings, from x1 to x1000000");
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
        QVERIFY(rig.sim.line.opened.isEmpty());
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
        QCOMPARE(rig.sim.line.closes, 0);
        QVERIFY(rig.sim.form.MSComm1.portOpen());
    }

    // The record of a run in virtual time, line for line.
    void theRecordOfARun()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("run.log"));
        Rig rig; // two points a page (1 K-Tron feeder), one 6B module, two alarms
        {
            RunRecord record(path, RunRecord::Mode::Afresh, rig.sim.reporter);
            ActionLog actions(record);
            rig.sim.simulator.addObserver(&record);
            rig.sim.simulator.addObserver(&actions);
            rig.sim.clock.advanceTo(333ms); // Start at 333 ms: the record counts from it
            rig.run(QStringLiteral("start"));
            rig.run(QStringLiteral("set Text8 END"));
            rig.run(QStringLiteral("set Text8 \x1b[2J")); // never raw in the record
            rig.run(QStringLiteral("set Text8 9"));
            rig.run(QStringLiteral("set Text8 9")); // left unchanged: no change to record
            rig.sim.clock.advanceTo(1400ms);
            rig.run(QStringLiteral("alarm 2"));
            rig.sim.clock.advanceTo(1900ms);
            rig.run(QStringLiteral("stop"));
            rig.sim.simulator.removeObserver(&record);
            rig.sim.simulator.removeObserver(&actions);
        }
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(file.readAll()),
                 QStringLiteral("# Start: Text1=3 Text2=10 Text3=500 Text4=1 Text6=2 Text7=1 "
                                "Text8=63536\n"
                                "# Text8 refused: END\n"
                                "# Text8 refused: \\x1B[2J\n"
                                "# Text8 = 9\n"
                                "1000 Timer4 first 31 0D 0A |1\\r\\n|\n"
                                "1000 Timer4 first 32 0D 0A |2\\r\\n|\n"
                                "1000 Timer4 first 33 0D 0A |3\\r\\n|\n"
                                "1000 Timer4 first 30 0D 0A |0\\r\\n|\n"
                                "1000 Timer4 first 30 0D 0A |0\\r\\n|\n"
                                "1000 Timer4 first 39 0D 0A |9\\r\\n|\n"
                                "= 1000 data string 1: 18 bytes\n"
                                "# alarm 2 raised\n"
                                "1500 Timer4 first 31 0D 0A |1\\r\\n|\n"
                                "1500 Timer4 first 32 0D 0A |2\\r\\n|\n"
                                "1500 Timer4 first 33 0D 0A |3\\r\\n|\n"
                                "1500 Timer4 first 30 0D 0A |0\\r\\n|\n"
                                "1500 Timer4 first 31 0D 0A |1\\r\\n|\n"
                                "1500 Timer4 first 39 0D 0A |9\\r\\n|\n"
                                "= 1500 data string 2: 18 bytes\n"
                                "# Stop\n"));
    }

    // A data string the line left out, a two-page one, one without a terminator line, one the
    // reader could not take, and a tick held up, as the record shows them.
    void theRecordMarksWhatWasLeftOut()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("run.log"));
        {
            using namespace std::chrono_literals;
            RecordingReporter reporter;
            RunRecord record(path, RunRecord::Mode::Afresh, reporter);
            const TimerRole& timer3 = TimerRoles::of(3);
            const TimerRole& timer1 = TimerRoles::of(1);
            record.ticked(1500ms, timer3, TickRecord{{"11\r\n"}, false, Delivery::Sent, 4, {}, {}});
            record.ticked(1510ms, timer3,
                          TickRecord{{"11\r\n", "END\r\n"}, true, Delivery::Sent, 9, {}, {}});
            record.ticked(2010ms, timer1,
                          TickRecord{{"1\r\n"}, false, Delivery::LeftOut, 3, {}, {}});
            record.ticked(2020ms, timer1,
                          TickRecord{{"1\r\n", "\u00e9\r\n"}, true, Delivery::LeftOut, 6, {}, {}});
            record.ticked(2520ms, timer1,
                          TickRecord{{"1\r\n"}, true, Delivery::Sent, 3, {}, {}, true});
            record.ticked(3020ms, timer1, TickRecord{{"1\r\n"}, true, Delivery::Lost, 3, {}, {}});
            record.ticked(3520ms, timer1,
                          TickRecord{{"1\r\n"}, true, Delivery::Sent, 3, {}, {}, false, 4889ms});
        }
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(file.readAll()),
                 QStringLiteral("1500 Timer3 second 31 31 0D 0A |11\\r\\n|\n"
                                "1510 Timer3 second 31 31 0D 0A |11\\r\\n|\n"
                                "1510 Timer3 second 45 4E 44 0D 0A |END\\r\\n|\n"
                                "= 1510 data string 1: 13 bytes\n"
                                "2010 Timer1 first left-out 31 0D 0A |1\\r\\n|\n"
                                "2020 Timer1 first left-out 31 0D 0A |1\\r\\n|\n"
                                "2020 Timer1 first left-out E9 0D 0A |\\xE9\\r\\n|\n"
                                "= 2020 data string 2 left out: 9 bytes\n"
                                "2520 Timer1 first 31 0D 0A |1\\r\\n|\n"
                                "= 2520 data string 3 (no terminator line: ended past 8192 "
                                "bytes): 3 bytes\n"
                                "3020 Timer1 first lost:not-reading 31 0D 0A |1\\r\\n|\n"
                                "= 3020 data string 4 lost (the reader is not reading): "
                                "3 bytes\n"
                                "! 3520 Timer1 held up 4889 ms: handled at 8409, no tick made up\n"
                                "3520 Timer1 first 31 0D 0A |1\\r\\n|\n"
                                "= 3520 data string 5: 3 bytes\n"));
    }

    void recordTexts_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("shown");
        QTest::newRow("digits") << QByteArray("63536\r\n") << "63536\\r\\n";
        QTest::newRow("blank and bar") << QByteArray("a |b") << "a |b";
        QTest::newRow("backslash") << QByteArray("a\\b") << R"(a\\b)";
        QTest::newRow("tab, NUL, DEL") << QByteArray("\t\0\x7f", 3) << R"(\t\x00\x7F)";
        QTest::newRow("Latin-1") << QByteArray("\xe9") << "\\xE9";
    }

    void recordTexts()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, shown);
        QCOMPARE(RunRecord::shown(bytes), shown);
    }

    void traceLines_data()
    {
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("delivery");
        const QStringList page{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"),
                               QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("63536")};
        QTest::newRow("one-page") << page << QStringLiteral("1000 Timer4 22 1 2 3 0 1 63536") << 0;
        QTest::newRow("left out") << page
                                  << QStringLiteral("1000 Timer4 left-out:22 1 2 3 0 1 63536")
                                  << int(Delivery::LeftOut);
        QTest::newRow("lost") << page << QStringLiteral("1000 Timer4 lost:22 1 2 3 0 1 63536")
                              << int(Delivery::Lost);
        QTest::newRow("empty terminator") << QStringList{QStringLiteral("1"), QString()}
                                          << QStringLiteral("1000 Timer4 5 1 \"\"") << 0;
        QTest::newRow("blank and beyond Latin-1")
            << QStringList{QStringLiteral("a b"), QStringLiteral("\u20ac")}
            << QStringLiteral("1000 Timer4 8 \"a b\" \u20ac") << 0;
        QTest::newRow("nothing") << QStringList{} << QStringLiteral("1000 Timer4 0") << 0;
        QTest::newRow("control characters") << QStringList{QStringLiteral("h\x01\u009a")}
                                            << QStringLiteral("1000 Timer4 5 h\\x01\\x9A") << 0;
    }

    void traceLines()
    {
        QFETCH(QStringList, texts);
        QFETCH(QString, line);
        QFETCH(int, delivery);
        QStringList written;
        qint64 bytes = 0;
        for (const QString& text : texts) {
            written.append(text + QStringLiteral("\r\n"));
            bytes += SerialControl::lineBytes(written.last()).size();
        }
        const TickRecord tick{written, true, Delivery(delivery), bytes, {}, {}};
        QCOMPARE(TickTracePrinter::line(1000, QStringLiteral("Timer4"), tick), line);
    }

    // A record or a trace that cannot be written is told once, with the path and the reason, as
    // an error of the run; the run goes on. A trace whose reader has gone ends quietly instead.
    void aRecordThatCannotBeWrittenIsToldOnce_data()
    {
        QTest::addColumn<bool>("trace");
        QTest::addColumn<QString>("path"); // FIFO: its reader quits; SMALL: may hold 100 bytes
        QTest::addColumn<QString>("told"); // empty: nothing, the run is to end
        const QString record = QStringLiteral("; the record ends there, the run goes on");
        QTest::newRow("record, a full device")
            << false << "/dev/full"
            << "--log: cannot write /dev/full: No space left on device" + record;
        QTest::newRow("record, written in part")
            << false << "SMALL"
            << "--log: cannot write SMALL: File too large" + record;
        QTest::newRow("record, a FIFO whose reader quit")
            << false << "FIFO"
            << "--log: cannot write FIFO: its reader has gone" + record;
        QTest::newRow("trace, a full device")
            << true << "/dev/full"
            << "--trace: cannot write standard output: No space left on device; the trace ends "
               "there, the run goes on";
        QTest::newRow("trace, its reader gone") << true << "FIFO" << QString();
    }

    void aRecordThatCannotBeWrittenIsToldOnce()
    {
#ifdef Q_OS_WIN
        QSKIP("a full device, a FIFO and a file size limit are Linux's");
#else
        QFETCH(bool, trace);
        QFETCH(QString, path);
        QFETCH(QString, told);
        std::signal(SIGPIPE, SIG_IGN);
        std::signal(SIGXFSZ, SIG_IGN);
        QTemporaryDir dir;
        int reader = -1;
        if (path == QLatin1String("FIFO") || path == QLatin1String("SMALL")) {
            const QString name = path;
            path = dir.filePath(name);
            told.replace(name, path);
            if (name == QLatin1String("FIFO")) {
                QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
                reader = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK);
            }
        }
        RecordingReporter reporter;
        int ended = 0;
        QString why;
        std::unique_ptr<RunRecord> record;
        std::unique_ptr<TickTracePrinter> printer;
        if (trace)
            printer = std::make_unique<TickTracePrinter>(
                RecordFile::open(path, RecordFile::Mode::Afresh, 0ms, &why), reporter,
                [&ended] { ++ended; });
        else
            record = std::make_unique<RunRecord>(path, RunRecord::Mode::Afresh, reporter);
        ::close(reader);
        rlimit limit{};
        ::getrlimit(RLIMIT_FSIZE, &limit);
        const rlimit small{100, limit.rlim_max};
        if (path.endsWith(QLatin1String("SMALL")))
            ::setrlimit(RLIMIT_FSIZE, &small);
        const TickRecord tick{{"1\r\n", "2\r\n", "63536\r\n"}, true, Delivery::Sent, 13, {}, {}};
        for (const qint64 at : {1000, 1500, 2000}) {
            if (printer)
                printer->ticked(std::chrono::milliseconds(at), TimerRoles::of(4), tick);
            else
                record->ticked(std::chrono::milliseconds(at), TimerRoles::of(4), tick);
        }
        ::setrlimit(RLIMIT_FSIZE, &limit);
        QCOMPARE(reporter.reports, told.isEmpty() ? QStringList() : QStringList{told});
        QCOMPARE(ended, told.isEmpty() ? 1 : 0);
#endif
    }

    // A setup or a script is read only from a regular file, of a size far beyond any real one:
    // anything else is refused, neither waited on nor read.
    void onlyRegularFilesAreRead_data()
    {
        QTest::addColumn<QString>("path"); // FIFO, LARGE: made here; DIR: a directory
        QTest::addColumn<QString>("setupIs");
        QTest::addColumn<QString>("scriptIs");
        const QString notRegular =
            QStringLiteral(", not a regular file: only a regular file is read");
#ifndef Q_OS_WIN
        QTest::newRow("a FIFO") << "FIFO"
                                << "a FIFO" + notRegular << "a FIFO" + notRegular;
        QTest::newRow("a device") << "/dev/zero"
                                  << "a character device" + notRegular
                                  << "a character device" + notRegular;
#endif
        QTest::newRow("a directory") << "DIR"
                                     << "a directory, not a file"
                                     << "a directory, not a file";
        QTest::newRow("larger than the limit")
            << "LARGE"
            << "larger than 1 MB (far beyond any real one): it is not read"
            << "larger than 64 MB (far beyond any real one): it is not read";
    }

    void onlyRegularFilesAreRead()
    {
        QFETCH(QString, path);
        QFETCH(QString, setupIs);
        QFETCH(QString, scriptIs);
        QTemporaryDir dir;
        if (path == QLatin1String("DIR"))
            path = dir.path();
#ifndef Q_OS_WIN
        if (path == QLatin1String("FIFO")) {
            path = dir.filePath(path);
            QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
        }
#endif
        if (path == QLatin1String("LARGE")) {
            QFile large(path = dir.filePath(path));
            QVERIFY(large.open(QIODevice::WriteOnly) &&
                    large.resize(ScenarioScript::largestFile + 1));
        }
        QCOMPARE(IniFileSettingsStore(path, QString()).unavailable(),
                 QStringLiteral("the setup at %1 is %2").arg(path, setupIs));
        try {
            ScenarioScript::read(path, false);
            QFAIL("read");
        } catch (const UsageError& error) {
            QCOMPARE(error.action() + ": " + error.message(),
                     QStringLiteral("--script: %1 is %2").arg(path, scriptIs));
        }
    }

    // What the operator gave is echoed in a message escaped (\x1B) and, when long, cut short,
    // wherever it came from.
    void echoedInputIsEscapedAndShortened_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("told");
        const QString tenMegabytes(10 << 20, QLatin1Char('A'));
        const QString shortened = QString(100, QLatin1Char('A')) + "... (10485760 characters)";
        const QString unknown = QStringLiteral(": unknown command (help lists them)");
        QTest::newRow("command, escapes") << "command"
                                          << "\x1b[2J\x07\r\nfly"
                                          << R"(\x1B[2J\x07\x0D\x0Afly)" + unknown;
        QTest::newRow("command, NUL")
            << "command" << QString::fromLatin1("fly\0", 4) << R"(fly\x00)" + unknown;
        QTest::newRow("command, 10 MB") << "command" << tenMegabytes << shortened + unknown;
        QTest::newRow("set") << "command"
                             << "set T\x1b]0;\x07 5"
                             << "set: no entry field \"T\\x1B]0;\\x07\" (Text1, Text2, Text3, "
                                "Text4, Text6, Text7, Text8 or points, pagegap, gap, pages, "
                                "alarms, port, terminator)";
        // NOLINTNEXTLINE(modernize-raw-string-literal): moc misreads a raw string with a quote
        const char* noSuchFault = "fault: no fault is called \"\\x1B[5m\" (help lists them)";
        QTest::newRow("fault") << "command"
                               << "fault \x1b[5m" << noSuchFault;
        QTest::newRow("option") << "option"
                                << "--\x1b[2J"
                                << "--\\x1B[2J: unknown option (see --help)";
        QTest::newRow("option, 10 MB") << "option"
                                       << "-" + tenMegabytes.mid(1)
                                       << "-" + shortened.mid(1) + ": unknown option (see --help)";
        QTest::newRow("--set")
            << "option"
            << "--set=Text\x1b"
               "9=1"
            << "--set Text\\x1B9=1: no entry field \"Text\\x1B9\" (Text1, Text2, "
               "Text3, Text4, Text6, Text7, Text8 or points, pagegap, gap, "
               "pages, alarms, port, terminator)";
        QTest::newRow("script") << "script"
                                << "at 0 \x1b[2J"
                                << "rig.txt:1: \\x1B[2J" + unknown;
        QTest::newRow("script, 10 MB")
            << "script"
            << "at 0 " + tenMegabytes << "rig.txt:1: " + shortened + unknown;
        QTest::newRow("any message on standard error") << "standard error"
                                                       << "a\x1b[2J\nb"
                                                       << "dryx-plc-test: a\\x1B[2J\\x0Ab: c\n";
        QTest::newRow("setup value")
            << "setup"
            << "\x1b[2J"
            << "Start-up: the setup key \"NumKTron\" in SETUP holds \"\\x1B[2J\", not a number "
               "(type mismatch)";
    }

    void echoedInputIsEscapedAndShortened()
    {
        QFETCH(QString, source);
        QFETCH(QString, input);
        QFETCH(QString, told);
        QString said;
        try {
            if (source == QLatin1String("command")) {
                Rig rig;
                rig.run(input);
                said = rig.takeErrors().join(QLatin1Char('\n')) + rig.takeOut();
            } else if (source == QLatin1String("option")) {
                Options::parse({input});
            } else if (source == QLatin1String("script")) {
                ScenarioScript::parse(QStringLiteral("rig.txt"), input, false);
            } else if (source == QLatin1String("standard error")) {
                std::FILE* stream = std::tmpfile();
                StandardErrorReporter(stream).error(input, QStringLiteral("c"));
                std::rewind(stream);
                char line[256] = {};
                said = QString::fromLocal8Bit(std::fgets(line, sizeof line, stream));
                std::fclose(stream);
            } else {
                QTemporaryDir dir;
                const QString setup = dir.filePath(QStringLiteral("setup.ini"));
                QFile file(setup);
                QVERIFY(file.open(QIODevice::WriteOnly));
                file.write("[setup]\nNumKTron=" + input.toUtf8() + "\n");
                file.close();
                told.replace(QLatin1String("SETUP"), setup);
                RecordingReporter reporter;
                Session::open(Options::parse({QStringLiteral("--settings"), setup,
                                              QStringLiteral("--virtual-time"),
                                              QStringLiteral("--duration=1")}),
                              reporter);
                said = reporter.reports.join(QLatin1Char('\n'));
            }
        } catch (const UsageError& error) {
            said = error.action() + QLatin1String(": ") + error.message();
        }
        QCOMPARE(said, told);
    }

    // A script's text goes on the line as the bytes it stands for: a Latin-1 character as its
    // byte, whether the file is written in Latin-1 or in UTF-8.
    void aScriptsTextGoesOnTheLineAsItsBytes_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("bytes"); // as the record shows the extra line
        QTest::newRow("Latin-1 file")
            << QByteArray("\xe9t\xe9 \xb0") << QByteArray("E9 74 E9 20 B0 0D 0A");
        QTest::newRow("UTF-8 file")
            << QByteArray("\xc3\xa9t\xc3\xa9 \xc2\xb0") << QByteArray("E9 74 E9 20 B0 0D 0A");
    }

    void aScriptsTextGoesOnTheLineAsItsBytes()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        const QString log = dir.filePath(QStringLiteral("run.log"));
        QFile setup(dir.filePath(QStringLiteral("setup.ini")));
        QVERIFY(setup.open(QIODevice::WriteOnly));
        setup.write("[setup]\nNumKTron=1\nNumModbus=0\nNum6B=0\nNumRelay=0\nPLCTerminator=9\n");
        setup.close();
        QFile script(dir.filePath(QStringLiteral("rig.txt")));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("at 0 start\nat 0 fault extra-line \"" + text + "\"\n");
        script.close();
        RecordingReporter reporter;
        const std::unique_ptr<Session> session = Session::open(
            Options::parse({QStringLiteral("--settings"), setup.fileName(),
                            QStringLiteral("--virtual-time"), QStringLiteral("--script"),
                            script.fileName(), QStringLiteral("--log"), log,
                            QStringLiteral("--duration=1.2")}),
            reporter);
        QVERIFY(session->begin());
        session->runInVirtualTime();
        QFile record(log);
        QVERIFY(record.open(QIODevice::ReadOnly));
        const QByteArray written = record.readAll();
        QVERIFY2(written.contains("\n1000 Timer4 first fault:extra-line " + bytes + " |"),
                 written.constData());
        QCOMPARE(reporter.reports, QStringList());
    }
};

QTEST_GUILESS_MAIN(HeadlessTest)
#include "tst_headless.moc"
