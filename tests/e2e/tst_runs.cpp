// Whole runs of the program as a test rig makes them, and the ways they end: the exit status
// tells the truth, every end tidies up, a window without its module is told, a stopped program
// resumes without a burst, a thousand Start/Stop cycles leave nothing behind, and an unprivileged
// user is told how to get a device.
#include "tests/support/Patience.h"
#include "tests/support/PseudoTerminal.h"
#include "tests/support/ToolProcess.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

#include <algorithm>
#include <csignal>
#include <grp.h>
#include <pwd.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>

namespace
{
// Whether a user who is neither the owner nor of its group can reach the folder: every folder on
// its path lets others search it.
bool othersCanEnter(const QString& path)
{
    for (QDir dir(path);; dir.cdUp()) {
        if (!QFileInfo(dir.path()).permission(QFileDevice::ExeOther))
            return false;
        if (dir.isRoot())
            return true;
    }
}

// The forms of a whole data string of the test setup: the first data set with its two alarm
// lines, and the second.
QByteArray firstDataSet()
{
    return values + "0\r\n0\r\n" + terminator;
}
QByteArray secondDataSet()
{
    QByteArray page;
    for (int i = 11; i <= 20; ++i)
        page += QByteArray::number(i) + "\r\n";
    return page + "0\r\n0\r\n" + terminator;
}

// The line's bytes cut into data strings, each with the moment its first byte arrived.
struct Arrived {
    qint64 atMs;
    QByteArray bytes;
};
QList<Arrived> dataStrings(const LineReader& reader, const QByteArray& all)
{
    QList<Arrived> strings;
    qsizetype start = 0;
    for (qsizetype end; (end = all.indexOf(terminator, start)) >= 0; start = end) {
        end += terminator.size();
        strings.append({reader.arrivalOf(start), all.mid(start, end - start)});
    }
    return strings;
}

qint64 residentKb(pid_t pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

// The files a process has mapped, one a line (/proc/PID/maps).
QByteArray mapped(pid_t pid)
{
    QFile maps(QStringLiteral("/proc/%1/maps").arg(pid));
    return maps.open(QIODevice::ReadOnly) ? maps.readAll() : QByteArray();
}

qsizetype openFiles(pid_t pid)
{
    return QDir(QStringLiteral("/proc/%1/fd").arg(pid)).entryList(QDir::NoDotAndDotDot).size();
}

// Where two records part, as the first line that is not the same in both.
QByteArray firstDifference(const QByteArray& first, const QByteArray& second)
{
    const QList<QByteArray> a = first.split('\n');
    const QList<QByteArray> b = second.split('\n');
    for (qsizetype i = 0; i < std::max(a.size(), b.size()); ++i)
        if (a.value(i) != b.value(i))
            return "line " + QByteArray::number(i + 1) + ": \"" + a.value(i) + "\" then \"" +
                   b.value(i) + "\"\n";
    return {};
}

// Waits for the program's end with the event loop running (the line's reader reads).
bool ended(Tool& tool, int ms)
{
    return QTest::qWaitFor([&] { return tool.process.state() == QProcess::NotRunning; }, ms);
}

// The bytes a record says went on the line, in order: every hex byte of its line records, but
// those left out or lost.
QByteArray sentBytes(const QByteArray& record)
{
    QByteArray bytes;
    for (const QByteArray& line : record.split('\n')) {
        if (line.isEmpty() || !std::isdigit(static_cast<unsigned char>(line[0])))
            continue;
        const QList<QByteArray> words = line.left(line.indexOf('|')).split(' ');
        if (words.value(3) == "left-out" || words.value(3).startsWith("lost:"))
            continue;
        for (const QByteArray& word : words.mid(3))
            if (word.size() == 2 && !word.contains(':'))
                bytes += QByteArray::fromHex(word);
    }
    return bytes;
}

// Sends `show` and waits for its answer: every command before it has been handled then.
bool settled(Tool& tool)
{
    tool.out.clear();
    tool.send("show");
    return QTest::qWaitFor([&] { return tool.readOut().endsWith("\nend\n"); }, patienceMs);
}
} // namespace

class RunsTest : public QObject
{
    Q_OBJECT
private slots:
    // Scripted runs (standard input not a terminal): each with its commands, its exit status,
    // and what it said on standard error.
    void exitStatusTellsTheTruth_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("commands");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("said");

        const QStringList run{QStringLiteral("--virtual-port"), QStringLiteral("--start"),
                              QStringLiteral("--duration"), QStringLiteral("1.2")};
        QTest::newRow("as asked") << run << QByteArray() << 0 << QByteArray(" 0 errors reported\n");
        QTest::newRow("a refused entry")
            << run << QByteArray("set Text1 5\n") << 1
            << QByteArray("dryx-plc-test: set Text1: Invalid Data Points: Please insert a number "
                          ">=10  or  <200.\n");
        QTest::newRow("an unknown command")
            << run << QByteArray("fly\n") << 1
            << QByteArray("dryx-plc-test: fly: unknown command (help lists them)\n");
        QTest::newRow("a line no command could be, with one after it")
            << run << QByteArray(100000, 'x') + "\nfly\n"
            << 1
            << QByteArray("dryx-plc-test: a command line of 100000 bytes: longer than any command "
                          "(at most 65536 bytes); ignored\n"
                          "dryx-plc-test: fly: unknown command (help lists them)\n");
        QTest::newRow("a hidden alarm button")
            << run << QByteArray("alarm 3\n") << 1
            << QByteArray("dryx-plc-test: alarm 3: alarm button A3 is not shown\n");
        QTest::newRow("a tick that fails")
            << run << QByteArray("set alarms 100000\n") << 1
            << QByteArray(
                   "dryx-plc-test: Data transmission (Timer4): Number of Alarms \"100000\" is "
                   "out of range (overflow)\n");
        QTest::newRow("start cannot start: at once")
            << QStringList{QStringLiteral("--port"), QStringLiteral("1=/nonexistent/tty"),
                           QStringLiteral("--start"), QStringLiteral("--duration"),
                           QStringLiteral("30")}
            << QByteArray() << 1
            << QByteArray("dryx-plc-test: Start: Cannot open Com Port 1 (/nonexistent/tty): No "
                          "such file or directory (port refused)\n");
        QTest::newRow("a start-up error")
            << QStringList{QStringLiteral("--settings"), QStringLiteral("BROKEN"),
                           QStringLiteral("--virtual-port"), QStringLiteral("--duration"),
                           QStringLiteral("0.2")}
            << QByteArray() << 1 << QByteArray("holds \"twelve\", not a number (type mismatch)\n");
        QTest::newRow("an overloaded line is no error")
            << run + QStringList{QStringLiteral("--set"),      QStringLiteral("points=200"),
                                 QStringLiteral("--set"),      QStringLiteral("pagegap=1"),
                                 QStringLiteral("--set"),      QStringLiteral("pages=2"),
                                 QStringLiteral("--duration"), QStringLiteral("3")}
            << QByteArray() << 0 << QByteArray("the line cannot keep up");
        QTest::newRow("a scenario with a step at fault: before anything runs")
            << QStringList{QStringLiteral("--virtual-port"), QStringLiteral("--script"),
                           QStringLiteral("SCRIPT")}
            << QByteArray() << 2
            << QByteArray("rig.txt:2: fly: unknown command (help lists them)\n");
        QTest::newRow("a record that cannot be written")
            << run + QStringList{QStringLiteral("--log"), QStringLiteral("/dev/full")}
            << QByteArray() << 1
            << QByteArray("dryx-plc-test: --log: cannot write /dev/full: No space left on device; "
                          "the record ends there, the run goes on\n");
        QTest::newRow("a record FIFO nobody reads: refused before the line")
            << run + QStringList{QStringLiteral("--log"), QStringLiteral("FIFO")} << QByteArray()
            << 2
            << QByteArray("/fifo: it is a FIFO that nobody reads (waited 3 s for a reader): "
                          "start its reader first\n");
        QTest::newRow("bad usage")
            << QStringList{QStringLiteral("--duration"), QStringLiteral("x")} << QByteArray() << 2
            << QByteArray("dryx-plc-test: --duration: expects a number of "
                          "seconds, e.g. --duration 60\n");
    }

    void exitStatusTellsTheTruth()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, commands);
        QFETCH(int, status);
        QFETCH(QByteArray, said);
        QTemporaryDir dir;
        const QString broken = dir.filePath(QStringLiteral("broken.ini"));
        QFile file(broken);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[setup]\nNumKTron=twelve\n");
        file.close();
        arguments.replaceInStrings(QStringLiteral("BROKEN"), broken);
        QFile script(dir.filePath(QStringLiteral("rig.txt")));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("at 0 start\nat 10 fly\n");
        script.close();
        arguments.replaceInStrings(QStringLiteral("SCRIPT"), script.fileName());
        const QString fifo = dir.filePath(QStringLiteral("fifo"));
        QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
        arguments.replaceInStrings(QStringLiteral("FIFO"), fifo);
        if (!arguments.contains(QStringLiteral("--settings")))
            arguments << QStringLiteral("--settings") << writeSetup(dir);
        Tool tool;
        QElapsedTimer elapsed;
        elapsed.start();
        tool.start(arguments);
        QVERIFY(tool.process.waitForStarted());
        tool.process.write(commands);
        tool.process.closeWriteChannel();
        QVERIFY(tool.finished());
        QCOMPARE(tool.process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(tool.process.exitCode(), status);
        QVERIFY2(tool.readErr().count(said) == 1, tool.err.constData()); // told once
        if (status == 2) // refused before anything ran: not even the line was made
            QVERIFY2(!tool.err.contains("virtual serial line"), tool.err.constData());
        if (status != 2) // a run that ran ends with its summary
            QVERIFY2(tool.err.contains("\ndryx-plc-test: Summary: ") ||
                         tool.err.startsWith("dryx-plc-test: Summary: "),
                     tool.err.constData());
        if (arguments.contains(QStringLiteral("30")))
            QVERIFY2(elapsed.elapsed() < 10000, "did not end at once");
    }

    // SIGINT, SIGTERM, SIGHUP and the other signals that would end the program, with the window
    // or without: the line finished, the port closed, the virtual line's link removed, the device
    // free for the next program, status 0.
    void everyEndIsTidy_data()
    {
        QTest::addColumn<bool>("headless");
        QTest::addColumn<int>("signal");
        QTest::addColumn<bool>("device");
        for (const int signal : {SIGQUIT, SIGUSR1, SIGALRM})
            QTest::addRow("headless, signal %d, virtual line", signal) << true << signal << false;
        for (const bool headless : {true, false}) {
            for (const int signal : {SIGINT, SIGTERM, SIGHUP})
                QTest::addRow("%s, signal %d, virtual line", headless ? "headless" : "window",
                              signal)
                    << headless << signal << false;
            QTest::addRow("%s, SIGTERM, device", headless ? "headless" : "window")
                << headless << int(SIGTERM) << true;
        }
    }

    void everyEndIsTidy()
    {
        QFETCH(bool, headless);
        QFETCH(int, signal);
        QFETCH(bool, device);
        QTemporaryDir dir;
        const QString link = dir.filePath(QStringLiteral("dryx-line"));
        PseudoTerminal pty;
        pty.closeSlave();
        QStringList arguments{QStringLiteral("--settings"), writeSetup(dir),
                              QStringLiteral("--start")};
        arguments << (device ? QStringList{QStringLiteral("--port"),
                                           QStringLiteral("1=") + pty.slavePath()}
                             : QStringList{QStringLiteral("--virtual-port=") + link});
        Tool tool;
        tool.start(arguments, headless); // the window on Qt's offscreen platform
        QVERIFY(tool.process.waitForStarted());
        QByteArray received;
        std::unique_ptr<LineReader> reader;
        if (!device) {
            QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(link).isSymLink(), patienceMs);
            reader = std::make_unique<LineReader>(link);
        }
        QTRY_VERIFY_WITH_TIMEOUT((device ? pty.poll() : reader->poll()).endsWith(terminator),
                                 patienceMs);
        if (!headless) { // the window reads no commands: this is the window indeed
            tool.send("show");
            QTest::qWait(300);
            QCOMPARE(tool.readOut(), QByteArray());
        }
        // Qt's GUI libraries come with the window's module, and only with it.
        QCOMPARE(mapped(tool.pid()).contains("/dryx-plc-test-window."), !headless);
        QCOMPARE(mapped(tool.pid()).contains("/libQt6Gui.so"), !headless);
        ::kill(tool.pid(), signal);
        QVERIFY(tool.finished());
        QCOMPARE(tool.process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(tool.process.exitCode(), 0);
        received = device ? pty.poll() : reader->poll();
        QVERIFY(received.endsWith(terminator)); // whole data strings, none cut
        QVERIFY(!QFileInfo(link).isSymLink());
        QVERIFY2(tool.readErr().contains("dryx-plc-test: Summary: "), tool.err.constData());
        if (device) {
            // The device and its lock are free: the next program opens it, given as tio and
            // picocom take a device, which serves whatever the Com Port.
            Tool next;
            next.start({QStringLiteral("--settings"), writeSetup(dir), pty.slavePath(),
                        QStringLiteral("--set"), QStringLiteral("port=7"),
                        QStringLiteral("--start"), QStringLiteral("--duration"),
                        QStringLiteral("1.2")});
            QVERIFY(next.finished());
            QCOMPARE(next.process.exitCode(), 0);
            QVERIFY(pty.poll().size() > received.size());
        }
    }

    // A window whose module is missing or is no such module: told, with what to do, before
    // anything runs.
    void aWindowWithoutItsModuleIsTold_data()
    {
        QTest::addColumn<QString>("module"); // what stands beside the program's copy
        QTest::addColumn<QByteArray>("said");
        QTest::newRow("missing") << QString() << QByteArray("dryx-plc-test-window.so is missing");
        QTest::newRow("broken") << QStringLiteral("/dev/null")
                                << QByteArray("dryx-plc-test-window.so: file too short");
        QTest::newRow("not the window's") << QStringLiteral("/usr/lib/x86_64-linux-gnu/libz.so.1")
                                          << QByteArray("it has no dryxRunWindow");
    }

    void aWindowWithoutItsModuleIsTold()
    {
        QFETCH(QString, module);
        QFETCH(QByteArray, said);
        if (!module.isEmpty() && !QFileInfo::exists(module))
            QSKIP(qPrintable(module + QStringLiteral(" is not on this system")));
        // bin/ of a folder of its own: no installation's lib/dryx-plc-test beside it.
        QTemporaryDir dir;
        Tool tool;
        tool.executable = dir.filePath(QStringLiteral("bin/dryx-plc-test"));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("bin")));
        QVERIFY(QFile::copy(program, tool.executable));
        QVERIFY(module.isEmpty() ||
                QFile::copy(module, dir.filePath(QStringLiteral("bin/dryx-plc-test-window.so"))));
        tool.start({QStringLiteral("--settings"), writeSetup(dir), QStringLiteral("--virtual-port"),
                    QStringLiteral("--start")},
                   false);
        QVERIFY(tool.finished());
        QCOMPARE(tool.process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(tool.process.exitCode(), 1);
        const QByteArray err = tool.readErr();
        QVERIFY2(err.startsWith("dryx-plc-test: Window: cannot open the window: ") &&
                     err.contains(said) &&
                     err.endsWith("; reinstall the program, or run it with --headless, which "
                                  "needs no window\n") &&
                     err.count('\n') == 1,
                 err.constData());
    }

    // A link is a claim: a second program on it is refused, naming the holder, and the first
    // goes on; a link left by a killed program is taken over, even when its old line has become
    // another program's meanwhile; two links serve side by side.
    void aLinkIsAClaim()
    {
        QTemporaryDir dir;
        const QString first = dir.filePath(QStringLiteral("line"));
        const QString second = dir.filePath(QStringLiteral("other"));
        const auto run = [&dir](Tool& tool, const QString& link) {
            tool.start({QStringLiteral("--settings"), writeSetup(dir), QStringLiteral("--start"),
                        QStringLiteral("--virtual-port=") + link});
            // The line it says it made; nothing once it has ended without one.
            const QByteArray said = "virtual serial line: ";
            const bool made = QTest::qWaitFor(
                [&] {
                    return (tool.readErr().contains(said) && tool.err.endsWith('\n')) ||
                           tool.process.state() == QProcess::NotRunning;
                },
                patienceMs);
            const qsizetype at = tool.err.indexOf(said);
            return made && at >= 0
                       ? QString::fromLocal8Bit(tool.err.mid(at + said.size()).trimmed())
                       : QString();
        };
        const auto readsDataStrings = [](LineReader& reader) {
            const qsizetype had = reader.poll().size();
            return QTest::qWaitFor(
                [&] { return reader.poll().size() > had && reader.poll().endsWith(terminator); },
                patienceMs);
        };
        Tool holder;
        const QString held = run(holder, first);
        QCOMPARE(QFileInfo(first).symLinkTarget(), held);
        LineReader reader(first);
        Tool refused;
        run(refused, first);
        QVERIFY(refused.finished());
        QCOMPARE(refused.process.exitCode(), 2);
        QCOMPARE(refused.readErr(),
                 QStringLiteral("dryx-plc-test: --virtual-port: %1 is the link of another running "
                                "dryx-plc-test (process %2): give this one a link of its own, e.g. "
                                "--virtual-port=%1-2\n")
                     .arg(first)
                     .arg(holder.pid())
                     .toLocal8Bit());
        QCOMPARE(QFileInfo(first).symLinkTarget(), held);
        QVERIFY(readsDataStrings(reader));

        ::kill(holder.pid(), SIGKILL);
        QVERIFY(holder.finished());
        QVERIFY(QFileInfo(first).isSymLink()); // left behind, its line free for the next program
        Tool beside;
        const QString besideLine = run(beside, second);
        Tool successor;
        const QString successorLine = run(successor, first);
        QCOMPARE(QFileInfo(first).symLinkTarget(), successorLine);
        QCOMPARE(QFileInfo(second).symLinkTarget(), besideLine);
        LineReader firstReader(first);
        LineReader secondReader(second);
        QVERIFY(readsDataStrings(firstReader) && readsDataStrings(secondReader));
        ::kill(successor.pid(), SIGTERM);
        QVERIFY(successor.finished());
        QCOMPARE(successor.process.exitCode(), 0);
        QVERIFY(!QFileInfo(first).isSymLink() && !QFileInfo::exists(first + ".lock"));
        QCOMPARE(QFileInfo(second).symLinkTarget(), besideLine);
        QVERIFY(readsDataStrings(secondReader));
        ::kill(beside.pid(), SIGTERM);
        QVERIFY(beside.finished());
    }

    // A run disturbed while a reader is on the line: the program stopped for 3 s in the middle
    // of a data string (SIGSTOP, SIGCONT), or the reader not reading for 8 s (about 800 bytes a
    // second). The reader gets whole data strings, exactly those the record says were sent; the
    // record and the operator are told what went otherwise, and nothing untrue.
    void aDisturbedRunIsToldAsItWent_data()
    {
        QTest::addColumn<bool>("programStopped"); // else the reader does not read
        QTest::newRow("the program stopped") << true;
        QTest::newRow("the reader not reading") << false;
    }

    void aDisturbedRunIsToldAsItWent()
    {
        QFETCH(bool, programStopped);
        QTemporaryDir dir;
        const QString link = dir.filePath(QStringLiteral("line"));
        const QString log = dir.filePath(QStringLiteral("run.log"));
        Tool tool;
        tool.start({QStringLiteral("--settings"), writeSetup(dir),
                    QStringLiteral("--virtual-port=") + link, QStringLiteral("--set"),
                    QStringLiteral("points=") + (programStopped ? "10" : "100"),
                    QStringLiteral("--start"), QStringLiteral("--duration"), QStringLiteral("11"),
                    QStringLiteral("--log"), log});
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(link).isSymLink(), patienceMs);
        LineReader reader(link);
        qint64 resumedAt = 0;
        if (programStopped) { // once the third data string has begun to arrive (it takes 46 ms)
            QVERIFY(QTest::qWaitFor(
                [&] { return reader.poll().size() > 2 * firstDataSet().size(); }, patienceMs));
            ::kill(tool.pid(), SIGSTOP);
            QTest::qWait(3000);
            resumedAt = reader.nowMs();
            ::kill(tool.pid(), SIGCONT);
        } else {
            reader.pause();
            QTest::qWait(8000);
            reader.resume();
        }
        QVERIFY(ended(tool, patienceMs));
        QCOMPARE(tool.process.exitCode(), 0);
        QFile file(log);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray record = file.readAll();
        QCOMPARE(reader.poll(), sentBytes(record));
        const qsizetype lost = record.count(" lost (the reader is not reading): ");
        const qsizetype sent = record.count("\n= ") - lost - record.count(" left out");
        QCOMPARE(reader.poll().count(terminator), sent);
        QVERIFY2(!tool.readErr().contains("cannot keep up"), tool.err.constData());
        if (programStopped) {
            // The rest of the data string, then the tick that fell due meanwhile, at once; then
            // 500 ms apart, none made up.
            QByteArray after; // when they came, in ms after SIGCONT
            for (const Arrived& string : dataStrings(reader, reader.poll())) {
                QVERIFY(string.bytes == firstDataSet() || string.bytes == secondDataSet());
                if (string.atMs >= resumedAt)
                    after += QByteArray::number(string.atMs - resumedAt) + ' ';
            }
            const QList<QByteArray> times = after.split(' ');
            QVERIFY2(times.size() > 4 && times[0].toInt() < 150 && times[1].toInt() >= 400,
                     after.constData());
            QCOMPARE(record.count(" held up "), 1);
            QVERIFY2(record.contains(" ms: handled at ") && record.contains(", no tick made up\n"),
                     record.constData());
        } else {
            QVERIFY2(lost >= 3 && sent >= 14, record.constData());
            QCOMPARE(tool.err.count("Data transmission: the reader of " + QFile::encodeName(link) +
                                    " has not read for "),
                     1);
            QVERIFY2(tool.err.contains(QStringLiteral("Summary: %1 data strings sent, 0 left out, "
                                                      "%2 lost (not read); %3 bytes on the line")
                                           .arg(sent)
                                           .arg(lost)
                                           .arg(reader.poll().size())
                                           .toUtf8()),
                     tool.err.constData());
        }
    }

    // `--trace | head -1`: the reader of the trace goes, and the run ends at once, quietly, as
    // for a signal: the link removed, the summary, status 0.
    void aTraceWhoseReaderHasGoneEndsTheRun()
    {
        QTemporaryDir dir;
        const QString link = dir.filePath(QStringLiteral("line"));
        QProcess pipeline;
        pipeline.start(QStringLiteral("bash"),
                       {QStringLiteral("-c"),
                        QStringLiteral("\"$@\" --trace </dev/null | head -1; echo \"status "
                                       "${PIPESTATUS[0]}\" >&2"),
                        QStringLiteral("--"), program, QStringLiteral("--headless"),
                        QStringLiteral("--settings"), writeSetup(dir),
                        QStringLiteral("--virtual-port=") + link, QStringLiteral("--start"),
                        QStringLiteral("--duration"), QStringLiteral("60")});
        QVERIFY(pipeline.waitForReadyRead(patienceMs)); // head has its line, and is gone
        QElapsedTimer sinceHeadLeft;
        sinceHeadLeft.start();
        QVERIFY(pipeline.waitForFinished(patienceMs));
        const QByteArray err = pipeline.readAllStandardError();
        // At the next tick, 500 ms on; not at the end of its 60 s.
        QVERIFY2(sinceHeadLeft.elapsed() < 20000, err.constData());
        QVERIFY(pipeline.readAllStandardOutput().startsWith("1000 Timer4 "));
        QVERIFY2(err.endsWith(" 0 errors reported\nstatus 0\n"), err.constData());
        QVERIFY2(!err.contains("--trace"), err.constData());
        QVERIFY(!QFileInfo(link).isSymLink());
    }

    // `--trace | less` left on its first page: a reader of the trace that stops reading holds up
    // neither the line nor the end. What it did not take is told at the end, as an error.
    void aTraceReaderThatStopsReadingHoldsNothingUp()
    {
        QTemporaryDir dir;
        const QString link = dir.filePath(QStringLiteral("line"));
        int trace[2];
        QVERIFY(::pipe2(trace, O_CLOEXEC) == 0);
        QVERIFY(::fcntl(trace[1], F_SETPIPE_SZ, 4096) > 0); // one page
        Tool tool;
        tool.process.setChildProcessModifier([out = trace[1]] { ::dup2(out, STDOUT_FILENO); });
        tool.start({QStringLiteral("--settings"), writeSetup(dir),
                    QStringLiteral("--virtual-port=") + link, QStringLiteral("--set"),
                    QStringLiteral("Text1=200"), QStringLiteral("--start"),
                    QStringLiteral("--trace")});
        ::close(trace[1]);
        QTRY_VERIFY_WITH_TIMEOUT(tool.readErr().contains('\n'), patienceMs);
        LineReader reader(link);
        QVERIFY(reader.isOpen());
        // Full when the next tick's line (over 700 bytes) no longer fits.
        const auto traceFull = [in = trace[0]] {
            int unread = 0;
            return ::ioctl(in, FIONREAD, &unread) == 0 && unread > 4096 - 700;
        };
        QTRY_VERIFY_WITH_TIMEOUT(traceFull(), patienceMs);
        // Data strings go on: another terminator line, and another, on a line left alone.
        const auto terminators = [&reader] { return reader.poll().count(terminator); };
        const qsizetype whenFull = terminators();
        QTRY_VERIFY_WITH_TIMEOUT(terminators() >= whenFull + 2, patienceMs);
        ::kill(pid_t(tool.process.processId()), SIGTERM);
        QVERIFY(tool.finished());
        ::close(trace[0]);
        QCOMPARE(tool.process.exitCode(), 1);
        const QByteArray told = "dryx-plc-test: --trace: cannot write standard output: its reader "
                                "has not read for ";
        QVERIFY2(tool.readErr().count(told) == 1, tool.err.constData());
        QVERIFY2(tool.err.contains(" bytes were not written; the trace ends there, the run goes "
                                   "on\n"),
                 tool.err.constData());
        QVERIFY(tool.err.endsWith(" 1 error reported\n"));
    }

    // A run in virtual time ends on a signal within a moment, as a run in real time does: the
    // record as far as it went, with the Stop, and status 0.
    void aVirtualTimeRunEndsOnASignal_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGINT") << int(SIGINT);
        QTest::newRow("SIGTERM") << int(SIGTERM);
    }

    void aVirtualTimeRunEndsOnASignal()
    {
        QFETCH(int, signal);
        QTemporaryDir dir;
        const QString log = dir.filePath(QStringLiteral("run.log"));
        Tool tool;
        tool.start({QStringLiteral("--settings"), writeSetup(dir), QStringLiteral("--virtual-time"),
                    QStringLiteral("--start"), QStringLiteral("--duration"),
                    QStringLiteral("1000000"), QStringLiteral("--log"), log});
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(log).size() > 10000, patienceMs); // under way
        ::kill(tool.pid(), signal);
        QElapsedTimer sinceSignal;
        sinceSignal.start();
        QVERIFY(tool.finished());
        // Within a step of the clock; the whole run would take half a minute.
        QVERIFY2(sinceSignal.elapsed() < 10000, qPrintable(QString::number(sinceSignal.elapsed())));
        QCOMPARE(tool.process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(tool.process.exitCode(), 0);
        QFile record(log);
        QVERIFY(record.open(QIODevice::ReadOnly));
        QVERIFY(record.readAll().endsWith(" bytes\n# Stop\n"));
        QVERIFY2(tool.readErr().contains("dryx-plc-test: Summary: "), tool.err.constData());
    }

    // A script of a million steps: each step keeps its moment, from the first on, and the
    // record is the one a short script gives for those moments.
    void aMillionStepScriptKeepsItsMoments()
    {
        QTemporaryDir dir;
        QByteArray steps = "at 0 start\n";
        for (int i = 1; i < 1000000; ++i)
            steps += "at " + QByteArray::number(2000 + i) + " alarm 1\n";
        const QString log = dir.filePath(QStringLiteral("run.log"));
        Tool tool;
        tool.start({QStringLiteral("--settings"), writeSetup(dir),
                    QStringLiteral("--virtual-port=") + dir.filePath(QStringLiteral("line")),
                    QStringLiteral("--script"), writeScript(dir, steps), QStringLiteral("--log"),
                    log, QStringLiteral("--duration"), QStringLiteral("3")});
        QVERIFY(tool.finished());
        QCOMPARE(tool.process.exitCode(), 0);
        QFile file(log);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray record = file.readAll();
        QCOMPARE(record.count("\n= "), 4); // at 1000, 1500, 2000 and 2500
        QVERIFY(record.contains("\n= 2500 data string 4: 44 bytes\n"));
        QCOMPARE(record.count("# alarm 1 raised\n"), 500); // 2001 to 2999, every other one
    }

    // A receiver set to another speed is told of once, with both settings; one set right hears
    // nothing; `show` says what the receiver set.
    void aReceiverSetWrongIsToldOfOnce()
    {
        QTemporaryDir dir;
        const QString link = dir.filePath(QStringLiteral("dryx-line"));
        Tool tool;
        tool.start({QStringLiteral("--settings"), writeSetup(dir),
                    QStringLiteral("--virtual-port=") + link, QStringLiteral("--start")});
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(link).isSymLink(), patienceMs);
        const int reader = ::open(QFile::encodeName(link).constData(), O_RDWR | O_NOCTTY);
        QVERIFY(reader >= 0);
        termios settings{};
        QVERIFY(::tcgetattr(reader, &settings) == 0);
        cfmakeraw(&settings);
        cfsetspeed(&settings, B19200);
        QVERIFY(::tcsetattr(reader, TCSANOW, &settings) == 0);
        const QByteArray warning =
            QStringLiteral("dryx-plc-test: Data transmission: the receiver on %1 set 19200 bit/s; "
                           "the line sends 9600,N,8,1: on a real line it would read garbage\n")
                .arg(link)
                .toUtf8();
        QTRY_VERIFY_WITH_TIMEOUT(tool.readErr().contains(warning), patienceMs);
        QVERIFY(settled(tool));
        QVERIFY2(tool.out.contains("\nVirtualLine.Receiver=19200,N,8,1\n"), tool.out.constData());
        cfsetspeed(&settings, B9600);
        QVERIFY(::tcsetattr(reader, TCSANOW, &settings) == 0);
        // Seen at a hand-over, or within the second at the latest.
        QTRY_VERIFY_WITH_TIMEOUT(
            settled(tool) && tool.out.contains("\nVirtualLine.Receiver=9600,N,8,1\n"), patienceMs);
        ::close(reader);
        tool.send("quit");
        QVERIFY(tool.finished());
        QCOMPARE(tool.process.exitCode(), 0); // a notice, not an error of the run
        QCOMPARE(tool.readErr().count("receiver"), 1);
    }

    // One scenario, twice on the virtual line in real time and once in virtual time: the same
    // record, byte for byte, however late the ticks were woken; and what a reader of the line
    // got is what the record says was sent, the faulted data string included.
    void aScenarioGivesTheSameRecordEveryRun()
    {
        QTemporaryDir dir;
        const QString setup = writeSetup(dir);
        const QString script = dir.filePath(QStringLiteral("rig.txt"));
        QFile scriptFile(script);
        QVERIFY(scriptFile.open(QIODevice::WriteOnly));
        // Start 500 ms after start-up, so that the reader has the line before the first byte.
        scriptFile.write("# the rig\nat 500 start\nat 500 set gap 700\nat 500 alarm 2\n"
                         "at 3100 fault garble 2\n");
        scriptFile.close();
        const QString link = dir.filePath(QStringLiteral("line"));
        QList<QByteArray> records;
        QByteArray diagnostics; // what the runs said, shown if their records differ
        for (int run = 0; run < 3; ++run) {
            const QString log = dir.filePath(QStringLiteral("run%1.log").arg(run));
            const bool virtualTime = run == 2;
            Tool tool;
            tool.start({QStringLiteral("--settings"), setup,
                        virtualTime ? QStringLiteral("--virtual-time")
                                    : QStringLiteral("--virtual-port=") + link,
                        QStringLiteral("--log"), log, QStringLiteral("--set"),
                        QStringLiteral("pages=2"), QStringLiteral("--script"), script,
                        QStringLiteral("--duration"), QStringLiteral("6.7")});
            QVERIFY(tool.process.waitForStarted());
            tool.process.closeWriteChannel();
            std::unique_ptr<LineReader> reader;
            if (!virtualTime) {
                QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(link), patienceMs);
                reader = std::make_unique<LineReader>(link);
                QVERIFY(reader->isOpen());
            }
            if (run == 1) {
                // Held up for 30 ms every 150 ms, as a busy machine holds a program up: its
                // ticks come late, and still at the moments of the first run.
                const pid_t pid = tool.pid();
                QVERIFY(pid > 0);
                while (!ended(tool, 120)) {
                    ::kill(pid, SIGSTOP);
                    ::usleep(30000);
                    ::kill(pid, SIGCONT);
                }
            }
            QVERIFY(ended(tool, patienceMs)); // reading the line meanwhile
            diagnostics += "run " + QByteArray::number(run) + " said: " + tool.readErr();
            QCOMPARE(tool.process.exitCode(), 0);
            QFile file(log);
            QVERIFY(file.open(QIODevice::ReadOnly));
            records.append(file.readAll());
            if (reader)
                QCOMPARE(reader->poll(), sentBytes(records.last()));
        }
        QVERIFY2(records[1] == records[0],
                 (firstDifference(records[0], records[1]) + diagnostics).constData());
        QVERIFY2(records[2] == records[0],
                 (firstDifference(records[0], records[2]) + diagnostics).constData());
        const QByteArray& record = records[0];
        QVERIFY(record.startsWith(
            "# seed 1\n# Text4 = 2\n# Start: Text1=10 Text2=10 Text3=500 Text4=2 Text6=2 "
            "Text7=1 Text8=63536\n# Text3 = 700\n# alarm 2 raised\n"));
        QVERIFY(record.contains("\n= 1000 data string 1: 44 bytes\n"));
        QVERIFY(record.contains("\n1700 Timer1 first 31 0D 0A |1\\r\\n|\n")); // page-only
        QVERIFY(record.contains("\n= 1710 data string 2: 75 bytes\n"));
        QVERIFY(record.contains("\n5010 Timer3 second 31 31 0D 0A |11\\r\\n|\n"));
        QVERIFY2(
            record.contains("\n= 3130 data string 4 (garble: line 2 byte 1: 32 -> A8): 75 bytes\n"),
            record.constData());
        QVERIFY(record.endsWith("# Stop\n"));
    }

    // A thousand Start/Stop cycles on the virtual line, and a few hundred on a device: no file
    // descriptor and no memory is left behind.
    void startStopCyclesLeaveNothingBehind_data()
    {
        QTest::addColumn<bool>("device");
        QTest::addColumn<int>("cycles");
        QTest::newRow("virtual line") << false << 1000;
        QTest::newRow("device") << true << 300;
    }

    void startStopCyclesLeaveNothingBehind()
    {
        QFETCH(bool, device);
        QFETCH(int, cycles);
        QTemporaryDir dir;
        PseudoTerminal pty;
        pty.closeSlave();
        Tool tool;
        tool.start({QStringLiteral("--settings"), writeSetup(dir),
                    device ? QStringLiteral("--port=1=") + pty.slavePath()
                           : QStringLiteral("--virtual-port")});
        QVERIFY(tool.process.waitForStarted());
        const QByteArray cycle = "start\nstop\n";
        tool.process.write(cycle.repeated(cycles / 10));
        QVERIFY(settled(tool));
        const qsizetype files = openFiles(tool.pid());
        const qint64 resident = residentKb(tool.pid());
        tool.process.write(cycle.repeated(cycles - cycles / 10));
        QVERIFY(settled(tool));
        QCOMPARE(openFiles(tool.pid()), files);
#ifdef __SANITIZE_ADDRESS__ // freed memory waits in the sanitizer's quarantine
        Q_UNUSED(resident);
#else
        QVERIFY2(
            residentKb(tool.pid()) <= resident + 512,
            qPrintable(
                QStringLiteral("%1 kB, then %2 kB").arg(resident).arg(residentKb(tool.pid()))));
#endif
        QVERIFY(tool.out.contains("\nMSComm1.PortOpen=False\n"));
        tool.send("quit");
        QVERIFY(tool.finished());
        QCOMPARE(tool.process.exitCode(), 0);
    }

    // An unprivileged user who may not open the device is told which group to join.
    void anUnprivilegedUserIsToldHowToGetTheDevice()
    {
        if (::geteuid() != 0)
            QSKIP("needs root, to make a device of the dialout group and run as nobody");
        const group* dialout = ::getgrnam("dialout");
        const passwd* nobody = ::getpwnam("nobody");
        if (!dialout || !nobody)
            QSKIP("no dialout group or no nobody user on this system");
        PseudoTerminal pty;
        QVERIFY(::chown(QFile::encodeName(pty.slavePath()).constData(), 0, dialout->gr_gid) == 0);
        QVERIFY(::chmod(QFile::encodeName(pty.slavePath()).constData(), 0660) == 0);
        pty.closeSlave();
        QTemporaryDir dir;
        QVERIFY(QFile::setPermissions(
            dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                            QFileDevice::ReadOther | QFileDevice::ExeOther));
        if (!othersCanEnter(dir.path()))
            QSKIP(qPrintable(QStringLiteral("nobody cannot enter the temporary folder %1 (set "
                                            "TMPDIR to a folder others may search)")
                                 .arg(dir.path())));
        // The build folder may lie where only root may go (a clone in /root or in a mktemp -d
        // folder): nobody runs a copy (linked against the system's Qt, it runs from anywhere).
        Tool tool;
        tool.executable = dir.filePath(QStringLiteral("dryx-plc-test"));
        QVERIFY(QFile::copy(program, tool.executable));
        const uid_t uid = nobody->pw_uid;
        const gid_t gid = nobody->pw_gid;
        tool.process.setChildProcessModifier([uid, gid] {
            if (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0)
                ::_exit(99);
        });
        tool.start({QStringLiteral("--settings"), writeSetup(dir), QStringLiteral("--port"),
                    QStringLiteral("1=") + pty.slavePath(), QStringLiteral("--start")});
        QVERIFY(tool.finished());
        QCOMPARE(tool.process.exitCode(), 1);
        QCOMPARE(tool.readErr(),
                 QStringLiteral("dryx-plc-test: Start: Cannot open Com Port 1 (%1): Permission "
                                "denied (the device belongs to the group dialout: join it with "
                                "`sudo usermod -aG dialout $USER`, then log in again) (port "
                                "refused)\n")
                         .arg(pty.slavePath())
                         .toUtf8() +
                     summary(0, 0, 0, 1));
    }
};

QTEST_GUILESS_MAIN(RunsTest)
#include "tst_runs.moc"
