// Starting the monitoring application: natively, or through Wine for a Windows path, what the
// Wine prefix knows of its programs and COM ports, and a launch that maps a COM port while the
// run goes on.
#include "core/OpenDryx.h"
#include "launcher/ProcessLauncher.h"
#include "launcher/QProcessRunner.h"
#include "launcher/WinePrefix.h"
#include "tests/support/RecordingLauncher.h"
#include "tests/support/SimulatorRig.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#ifdef Q_OS_WIN
#include <windows.h>
#endif

using namespace std::chrono_literals;
using Tick = SimulatorRig::Tick;

namespace
{
const QString launchPath = QStringLiteral("c:\\program files\\dryx\\dryx.exe");

QProcessEnvironment prefixAt(const QString& path)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("WINEPREFIX"), path);
    return environment;
}

void writeFile(const QString& path, const QByteArray& contents,
               QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    file.write(contents);
    file.setPermissions(permissions);
}

const QFile::Permissions executable = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;

void endProcess(qint64 pid)
{
#ifdef Q_OS_WIN
    if (HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, DWORD(pid))) {
        TerminateProcess(process, 0);
        CloseHandle(process);
    }
#else
    ::kill(pid_t(pid), SIGTERM);
#endif
}

// Wine's helpers in virtual time: each ends with status 0 once its time has passed on the
// clock, `reg add` 3 s (the prefix's services starting), the server's -k and -w 1 s each. At
// its end `reg add` has put the value into the prefix's system.reg, as Wine's server writes it.
class VirtualWine : public ProcessRunner
{
public:
    struct Run {
        qint64 atMs;
        QString program;
        QStringList arguments;
        QString wineDebug;
        QString dllOverrides;
        bool operator==(const Run&) const = default;
    };

    VirtualWine(Clock& clock, QString prefix) : m_clock(clock), m_prefix(std::move(prefix)) {}

    QList<Run> runs;

    void run(const QString& program, const QStringList& arguments,
             const QProcessEnvironment& environment, Finished finished) override
    {
        runs.append({m_clock.nowMs().count(), program, arguments,
                     environment.value(QStringLiteral("WINEDEBUG")),
                     environment.value(QStringLiteral("WINEDLLOVERRIDES"))});
        const bool regAdd = arguments.value(0) == QLatin1String("reg");
        m_ends.push_back(m_clock.makeAlarm([this, arguments, regAdd, finished] {
            if (regAdd)
                writeFile(m_prefix + QStringLiteral("/system.reg"),
                          QStringLiteral("WINE REGISTRY Version 2\n\n"
                                         "[Software\\\\Wine\\\\Ports] 1702000000\n"
                                         "\"%1\"=\"%2\"\n")
                              .arg(arguments.value(4), arguments.value(8))
                              .toUtf8());
            finished({Outcome::End::Exited, 0, {}});
        }));
        m_ends.back()->set(m_clock.now() + (regAdd ? 3s : 1s));
    }

private:
    Clock& m_clock;
    QString m_prefix;
    std::vector<std::unique_ptr<Alarm>> m_ends; // kept to the end: one may be ringing
};

char* toString(const VirtualWine::Run& run)
{
    return QTest::toString(QStringLiteral("%1 ms: %2 %3 (WINEDEBUG=%4 WINEDLLOVERRIDES=%5)")
                               .arg(run.atMs)
                               .arg(run.program, run.arguments.join(QLatin1Char(' ')),
                                    run.wineDebug, run.dllOverrides));
}

const WinePrefix::Programs wineAt{[] { return std::optional<QString>("/usr/bin/wine"); },
                                  [] { return std::optional<QString>("/usr/bin/wineserver"); }};
const WinePrefix::Programs noWine{[] { return std::optional<QString>(); },
                                  [] { return std::optional<QString>(); }};

// The data strings of the setup below (three points, one alarm), one page each.
QList<Tick> dataStrings(qint64 from, qint64 until, int firstValue)
{
    QList<Tick> ticks;
    for (qint64 t = from; t <= until; t += 500)
        ticks.append(
            {t,
             {QString::number(firstValue), QString::number(firstValue + 1),
              QString::number(firstValue + 2), QStringLiteral("0"), QStringLiteral("63536")}});
    return ticks;
}

// Lines a started script wrote to `log`, once there are `count` of them.
QStringList linesOf(const QString& log, qsizetype count)
{
    QStringList lines;
    [[maybe_unused]] const bool arrived = QTest::qWaitFor(
        [&] {
            QFile file(log);
            if (!file.open(QIODevice::ReadOnly))
                return false;
            lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
            return lines.size() >= count;
        },
        10000);
    return lines;
}
} // namespace

class LauncherTest : public QObject
{
    Q_OBJECT

    QProcessRunner runner; // the prefixes' helpers, never run here

private slots:
    // Each start is one more instance, with no arguments; on Windows in window style 1 (a
    // normal window that gets the focus).
    void startsEveryClickWithoutWaitingOrArguments()
    {
        QTemporaryDir dir;
        const QString log = dir.filePath(QStringLiteral("started.log"));
#ifdef Q_OS_WIN
        const QString program = QStringLiteral(DRYX_LAUNCHED);
        qputenv("DRYX_LAUNCH_LOG", QDir::toNativeSeparators(log).toLocal8Bit());
#else
        const QString program = dir.filePath(QStringLiteral("monitor"));
        // Says who it is and how many arguments it got, then stays up for a while.
        writeFile(program,
                  QStringLiteral("#!/bin/sh\necho \"$$ $# 1\" >> '%1'\nexec sleep 30\n")
                      .arg(log)
                      .toUtf8(),
                  executable);
#endif
        const WinePrefix prefix(runner, prefixAt(dir.filePath(QStringLiteral("prefix"))));
        ProcessLauncher launcher(prefix);
        QVERIFY(!launcher.startsThroughWine(program));
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(launcher.start(program), std::nullopt);
        QCOMPARE(launcher.start(program), std::nullopt);
        QVERIFY(clock.elapsed() < 10000); // not waiting: each program runs for 30 s
        const QStringList lines = linesOf(log, 2);
        QCOMPARE(lines.size(), 2);
        QList<qint64> pids;
        for (const QString& line : lines) {
            const QStringList fields = line.split(QLatin1Char(' '));
            QCOMPARE(fields.value(1), QStringLiteral("0"));
            QCOMPARE(fields.value(2), QStringLiteral("1"));
            pids.append(fields.value(0).toLongLong());
        }
        QVERIFY(pids[0] > 0 && pids[1] > 0 && pids[0] != pids[1]);
        for (const qint64 pid : pids)
            endProcess(pid);
    }

    void nativeRefusals()
    {
        QTemporaryDir dir;
        const WinePrefix prefix(runner, prefixAt(dir.path()));
        ProcessLauncher launcher(prefix);
        const QString notes = dir.filePath(QStringLiteral("notes.txt"));
        writeFile(notes, "plain text\n");
#ifdef Q_OS_WIN
        // The system's own words for "not found" and "not a program".
        const auto said = [](DWORD error) {
            wchar_t text[512] = {};
            FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                           error, 0, text, 512, nullptr);
            return std::optional(QString::fromWCharArray(text).trimmed());
        };
        QCOMPARE(launcher.start(dir.filePath(QStringLiteral("missing.exe"))),
                 said(ERROR_FILE_NOT_FOUND));
        QCOMPARE(launcher.start(notes), said(ERROR_BAD_EXE_FORMAT));
#else
        QCOMPARE(launcher.start(dir.filePath(QStringLiteral("missing"))),
                 QStringLiteral("No such file or directory"));
        QCOMPARE(launcher.start(notes), QStringLiteral("Permission denied"));
#endif
    }

    void windowsPaths_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("windows");
        QTest::newRow("the launch path") << launchPath << true;
        QTest::newRow("upper case, slashes") << "C:/Program Files/DRYX/DRYX.EXE" << true;
        QTest::newRow("a share") << R"(\\plant\tools\dryx.exe)" << true;
        QTest::newRow("a Unix path") << "/usr/bin/dryx" << false;
        QTest::newRow("relative") << "dryx.exe" << false;
        QTest::newRow("a drive without a separator") << "c:dryx.exe" << false;
    }

    void windowsPaths()
    {
        QFETCH(QString, path);
        QFETCH(bool, windows);
        QCOMPARE(ProcessLauncher::isWindowsPath(path), windows);
        const WinePrefix prefix(runner, prefixAt(QStringLiteral("/nonexistent")));
#ifdef Q_OS_WIN
        QVERIFY(!ProcessLauncher(prefix).startsThroughWine(path)); // Windows starts its own
#else
        QCOMPARE(ProcessLauncher(prefix).startsThroughWine(path), windows);
#endif
    }

    // Through Wine: the loader with the launch path as its one argument, no shell; refused with
    // what to do when there is no Wine, or no such program in the prefix.
    void startsWindowsProgramsThroughWine()
    {
#ifdef Q_OS_WIN
        QSKIP("Windows starts Windows programs itself");
#endif
        QTemporaryDir dir;
        const QString prefixPath = dir.filePath(QStringLiteral("prefix"));
        const WinePrefix prefix(runner, prefixAt(prefixPath));

        ProcessLauncher withoutWine(prefix, [] { return std::optional<QString>(); });
        QCOMPARE(withoutWine.start(launchPath),
                 QStringLiteral("Wine is not installed; to run Windows programs here, install it "
                                "(on Debian: sudo apt install wine)"));

        const QString log = dir.filePath(QStringLiteral("wine.log"));
        const QString wine = dir.filePath(QStringLiteral("wine"));
        writeFile(
            wine,
            QStringLiteral("#!/bin/sh\necho \"$# $1|$WINEPREFIX\" >> '%1'\n").arg(log).toUtf8(),
            executable);
        ProcessLauncher launcher(prefix, [wine] { return std::optional(wine); });
        QCOMPARE(launcher.start(launchPath),
                 QStringLiteral("there is no such program in the Wine prefix %1").arg(prefixPath));

        // Wine finds "c:\program files\dryx\dryx.exe" whatever the letter case on disk.
        writeFile(prefixPath + QStringLiteral("/drive_c/Program Files/DRYX/Dryx.exe"), "MZ");
        QCOMPARE(prefix.fileOf(launchPath),
                 prefixPath + QStringLiteral("/drive_c/Program Files/DRYX/Dryx.exe"));
        QCOMPARE(launcher.start(launchPath), std::nullopt);
        QCOMPARE(launcher.start(launchPath), std::nullopt); // one instance per click
        QCOMPARE(linesOf(log, 2),
                 QStringList(2, QStringLiteral("1 %1|%2").arg(launchPath, prefixPath)));
    }

    // The prefix's COM ports as its registry file has them.
    void comPortsAreReadFromTheRegistryFile()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath(QStringLiteral("system.reg")),
                  "WINE REGISTRY Version 2\n\n"
                  "[Software\\\\Wine\\\\Drives] 1701000000\n\"COM7\"=\"/not/here\"\n\n"
                  "[Software\\\\Wine\\\\Ports] 1702000000\n#time=1d\n"
                  "\"COM1\"=\"/dev/ttyUSB0\"\n\"COM7\"=\"/tmp/dryx-line\"\n"
                  "\"COM9\"=\"/tmp/a \\\\\\\"b\\\"\"\n\n[Software\\\\Other]\n\"COM2\"=\"/x\"\n");
        const WinePrefix prefix(runner, prefixAt(dir.path()));
        QCOMPARE(prefix.mapped(7), QStringLiteral("/tmp/dryx-line"));
        QCOMPARE(prefix.mapped(1), QStringLiteral("/dev/ttyUSB0"));
        QCOMPARE(prefix.mapped(9), QStringLiteral("/tmp/a \\\"b\""));
        QCOMPARE(prefix.mapped(2), std::nullopt);
        QCOMPARE(prefix.mapped(3), std::nullopt);
        // Mapping what is mapped already touches nothing, Wine or no Wine, and is told at once;
        // a change without Wine says what to install.
        VirtualClock clock;
        VirtualWine wine(clock, dir.path());
        WinePrefix same(wine, prefixAt(dir.path()), noWine);
        QList<ComPortMapper::Outcome> outcomes;
        const auto keep = [&outcomes](const ComPortMapper::Outcome& outcome) {
            outcomes.append(outcome);
        };
        same.map(7, QStringLiteral("/tmp/dryx-line"), keep);
        same.map(7, QStringLiteral("/tmp/other-line"), keep);
        QCOMPARE(outcomes,
                 (QList<ComPortMapper::Outcome>{
                     {ComPortMapper::Outcome::Result::AlreadyMapped, {}},
                     {ComPortMapper::Outcome::Result::Failed,
                      QStringLiteral("cannot map a COM port of Wine: Wine is not installed; to run "
                                     "Windows programs here, install it (on Debian: sudo apt "
                                     "install wine)")}}));
        QVERIFY(wine.runs.isEmpty());
    }

    void thePrefixIsNamedAsTheOperatorKnowsIt()
    {
        QProcessEnvironment environment;
        environment.insert(QStringLiteral("HOME"), QStringLiteral("/home/op"));
        QCOMPARE(WinePrefix(runner, environment).prefix(), QStringLiteral("/home/op/.wine"));
        QCOMPARE(WinePrefix(runner, environment).shownPrefix(), QStringLiteral("~/.wine"));
        environment.insert(QStringLiteral("WINEPREFIX"), QStringLiteral("/srv/wine/dryx"));
        QCOMPARE(WinePrefix(runner, environment).shownPrefix(), QStringLiteral("/srv/wine/dryx"));
    }

    // A click 2 s after Start while the run sends data strings: mapping COM1 takes Wine 5 s, in
    // which every data string goes out at its due time, and the program starts when the mapping
    // is done. A second click meanwhile waits for it, and finds COM1 mapped.
    void aLaunchThroughWineNeverHoldsBackTheLine()
    {
        QTemporaryDir home;
        QProcessEnvironment environment;
        environment.insert(QStringLiteral("HOME"), home.path());
        SimulatorRig sim;
        VirtualWine wine(sim.clock, home.filePath(QStringLiteral(".wine")));
        WinePrefix prefix(wine, environment, wineAt);
        RecordingLauncher launcher;
        launcher.throughWine = true;
        OpenDryx openDryx(sim.form, sim.rules, launcher, prefix, sim.reporter,
                          OpenDryx::VirtualLine{QStringLiteral("/tmp/dryx-line"), std::nullopt});
        QStringList started; // "<ms>: <what was done>"
        const auto confirm = [&](const QString& done) {
            started.append(QStringLiteral("%1: %2").arg(sim.clock.nowMs().count()).arg(done));
        };
        sim.setSetup(QStringLiteral("1"), QStringLiteral("0"), QStringLiteral("1"),
                     QStringLiteral("1"));
        QVERIFY(sim.simulator.Form_Load());
        QVERIFY(sim.simulator.Command1_Click());

        sim.clock.advanceTo(2000ms);
        openDryx.Picture4_Click(confirm);
        sim.clock.advanceTo(3000ms);
        openDryx.Picture4_Click(confirm);
        sim.clock.advanceTo(6999ms);
        QVERIFY(launcher.started.isEmpty());
        sim.clock.advanceTo(7000ms);

        QCOMPARE(sim.ticks(), dataStrings(1000, 5000, 1) + dataStrings(5010, 6510, 11));
        const QStringList regAdd =
            QStringLiteral(
                R"(reg add HKLM\Software\Wine\Ports /v COM1 /t REG_SZ /d /tmp/dryx-line /f)")
                .split(QLatin1Char(' '));
        QCOMPARE(wine.runs, (QList<VirtualWine::Run>{
                                {2000, "/usr/bin/wine", regAdd, "-all", "mscoree,mshtml="},
                                {5000, "/usr/bin/wineserver", {"-k"}, "-all", "mscoree,mshtml="},
                                {6000, "/usr/bin/wineserver", {"-w"}, "-all", "mscoree,mshtml="}}));
        const QString path = QLatin1String(OpenDryx::launchPath);
        QCOMPARE(launcher.started, QStringList(2, path));
        QCOMPARE(started,
                 QStringList(2, QStringLiteral("7000: started %1 through Wine").arg(path)));
        QCOMPARE(sim.reporter.reports,
                 QStringList{QStringLiteral("Open DRYX: COM1 of ~/.wine \u2192 /tmp/dryx-line")});
    }
};

QTEST_GUILESS_MAIN(LauncherTest)
#include "tst_launcher.moc"
