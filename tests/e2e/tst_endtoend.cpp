// The program itself, started as a process, on real pseudo-terminals: the test reads the other
// side of the line and checks whole runs to the byte, with the actions given on standard input.
// Times are checked where the bytes arrive, with tolerances that hold on a loaded machine.
#include "tests/support/Patience.h"
#include "tests/support/PseudoTerminal.h"
#include "tests/support/ToolProcess.h"

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace
{
// The bytes every traced line stands for: the trace and the line must agree.
QByteArray bytesOfTrace(const QByteArray& trace)
{
    QByteArray bytes;
    for (const QByteArray& line : trace.split('\n')) {
        const QList<QByteArray> words = line.split(' ');
        if (words.size() < 3 || !words[1].startsWith("Timer"))
            continue; // a command's confirmation
        for (qsizetype i = 3; i < words.size(); ++i)
            bytes += words[i] + "\r\n";
    }
    return bytes;
}

// The number a status block gives for NAME (-1 without one).
qint64 statusNumber(const QByteArray& out, const QByteArray& name)
{
    const QByteArray key = '\n' + name + '=';
    const qsizetype at = out.lastIndexOf(key);
    if (at < 0)
        return -1;
    const qsizetype from = at + key.size();
    bool ok = false;
    const qint64 number = out.mid(from, out.indexOf('\n', from) - from).toLongLong(&ok);
    return ok ? number : -1;
}
} // namespace

class EndToEndTest : public QObject
{
    Q_OBJECT
private slots:
    void onePageRunOnADeviceWithAnAlarm()
    {
        QTemporaryDir dir;
        PseudoTerminal pty;
        QVERIFY(pty.isValid());
        pty.closeSlave();
        Tool tool;
        tool.start({QStringLiteral("--settings"), writeSetup(dir), QStringLiteral("--port"),
                    QStringLiteral("1=") + pty.slavePath(), QStringLiteral("--trace")});
        QVERIFY(tool.process.waitForStarted());
        tool.send("start");
        const QByteArray clear = values + "0\r\n0\r\n" + terminator;
        const QByteArray raised = values + "1\r\n0\r\n" + terminator;
        QTRY_VERIFY_WITH_TIMEOUT(pty.poll().size() >= clear.size(), patienceMs);
        tool.send("Alarm  1");
        QTRY_VERIFY_WITH_TIMEOUT(pty.poll().endsWith(raised), patienceMs);
        tool.send("stop");
        tool.send("show");
        QTRY_VERIFY_WITH_TIMEOUT(tool.readOut().endsWith("\nend\n"), patienceMs);
        QVERIFY(tool.out.contains("\nMSComm1.PortOpen=False\n"));
        QVERIFY(tool.out.contains("\nAlarmState(1)=1\n"));
        tool.send("quit");
        QVERIFY(tool.finished());
        QCOMPARE(tool.process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(tool.process.exitCode(), 0);
        tool.readOut();

        // The whole run: data strings with the alarm clear until the alarm was raised, then
        // with it raised; exactly what the trace says was written, nothing torn.
        const QByteArray received = pty.poll();
        QCOMPARE(tool.readErr(),
                 summary(int(received.size() / clear.size()), 0, received.size(), 0));
        QVERIFY(received.startsWith(clear));
        QByteArray expected;
        qsizetype at = 0;
        while (received.mid(at, clear.size()) == clear)
            expected += clear, at += clear.size();
        while (received.mid(at, raised.size()) == raised)
            expected += raised, at += raised.size();
        QVERIFY(expected.endsWith(raised));
        QCOMPARE(received, expected);
        QByteArray trace = tool.out.left(tool.out.indexOf("Text1="));
        QCOMPARE(bytesOfTrace(trace), received);
        // Each command confirmed, in its place among the ticks.
        QVERIFY2(trace.startsWith(
                     QStringLiteral("started on Com Port 1 (%1)\n").arg(pty.slavePath()).toUtf8()),
                 trace.constData());
        QVERIFY(trace.contains("\nalarm 1 raised\n"));
        QVERIFY(trace.endsWith("\nstopped\n"));
        trace = trace.mid(trace.indexOf('\n') + 1);
        const qsizetype blank = trace.indexOf(' ');
        const int firstTickMs = trace.left(blank).toInt();
        QVERIFY2(firstTickMs >= 1000 && firstTickMs < 1100, trace.left(blank).constData());
        QVERIFY(trace.mid(blank).startsWith(" Timer4 44 1 2 3 4 5 6 7 8 9 10 0 0 63536\n"));

        // One data string every 500 ms, measured where they arrive.
        for (qsizetype start = clear.size(); start < received.size(); start += clear.size()) {
            const qint64 gap = pty.arrivalOf(start) - pty.arrivalOf(start - clear.size());
            QVERIFY2(gap >= 450 && gap <= 800, qPrintable(QString::number(gap)));
        }
    }

    void twoPageRunOnTheVirtualLine()
    {
        QTemporaryDir dir;
        const QString link = dir.filePath(QStringLiteral("dryx-line"));
        Tool tool;
        tool.start({QStringLiteral("--settings"), writeSetup(dir),
                    QStringLiteral("--virtual-port=") + link, QStringLiteral("--set"),
                    QStringLiteral("Text4=2"), QStringLiteral("--start")});
        QTRY_VERIFY_WITH_TIMEOUT(tool.readErr().contains('\n'), patienceMs);
        QVERIFY2(tool.err.startsWith("virtual serial line: /dev/pts/"), tool.err.constData());
        QCOMPARE(QFileInfo(link).symLinkTarget().toUtf8(), tool.err.mid(21).trimmed());
        LineReader reader(link);
        QVERIFY(reader.isOpen());
        tool.send("status");
        QTRY_VERIFY_WITH_TIMEOUT(tool.readOut().endsWith("\nend\n"), patienceMs);
        QVERIFY2(tool.out.contains("\nLine.Kind=virtual\nLine.ComPort=1\nLine.Device=" +
                                   tool.err.mid(21).trimmed() + "\nLine.Link=" + link.toUtf8() +
                                   "\n"),
                 tool.out.constData());
        QVERIFY(tool.out.contains("\nRun.State=running\nRun.Since="));
        // The run began once the line was open, a few ms after start-up on a slow machine.
        const qint64 since = statusNumber(tool.out, "Run.Since");
        QVERIFY2(since >= 0 && since < 100, qPrintable(QString::number(since)));
        tool.send("alarm 1"); // two-page data strings carry no alarm states
        // 1000: a closing tick (one page); 1500: a page; 1510: a closing page.
        const QByteArray first = values + "0\r\n0\r\n" + terminator;
        const QByteArray second = values + values + "0\r\n0\r\n" + terminator;
        QTRY_VERIFY_WITH_TIMEOUT(reader.poll().size() >= first.size() + second.size(), patienceMs);
        ::kill(pid_t(tool.process.processId()), SIGTERM);
        QVERIFY(tool.finished());
        QCOMPARE(tool.process.exitCode(), 0);
        QCOMPARE(reader.poll(), first + second);
        QVERIFY(!QFileInfo(link).isSymLink());

        const qint64 gap = reader.arrivalOf(first.size()) - reader.arrivalOf(0);
        QVERIFY2(gap >= 450 && gap <= 800, qPrintable(QString::number(gap)));
        // The line rate: 75 bytes take 75 character times (78 ms) to arrive. A reader woken
        // late sees less of that; a line that did not pace would take no time at all.
        const qint64 sending =
            reader.arrivalOf(first.size() + second.size() - 1) - reader.arrivalOf(first.size());
        QVERIFY2(sending >= 40, qPrintable(QString::number(sending)));
        QCOMPARE(tool.readErr(), QByteArray("virtual serial line: ") +
                                     tool.err.mid(21, tool.err.indexOf('\n') - 21) + '\n' +
                                     summary(2, 0, first.size() + second.size(), 0));
    }

    // 200 points a page, two pages, 1 ms page gap: far more than 960 characters a second. Whole
    // data strings are left out, the operator is told once, and what arrives is never torn.
    void anOverloadedLineLeavesOutWholeDataStrings()
    {
        QTemporaryDir dir;
        const QString link = dir.filePath(QStringLiteral("dryx-line"));
        Tool tool;
        tool.start({QStringLiteral("--settings"), writeSetup(dir),
                    QStringLiteral("--virtual-port=") + link, QStringLiteral("--set"),
                    QStringLiteral("Text1=200"), QStringLiteral("--set"), QStringLiteral("Text2=1"),
                    QStringLiteral("--set"), QStringLiteral("pages=2"), QStringLiteral("--start")});
        QVERIFY(tool.process.waitForStarted());
        tool.process.closeWriteChannel(); // the end of input does not end the run
        QTRY_VERIFY_WITH_TIMEOUT(tool.readErr().contains('\n'), patienceMs);
        LineReader reader(link);
        QVERIFY(reader.isOpen());
        const QByteArray notice = "dryx-plc-test: Data transmission: the line cannot keep up: the "
                                  "transmitters produce ";
        QTRY_VERIFY_WITH_TIMEOUT(tool.readErr().contains(notice), patienceMs);
        QByteArray page;
        for (int i = 1; i <= 200; ++i)
            page += QByteArray::number(i) + "\r\n";
        const QByteArray closing = "0\r\n0\r\n" + terminator;
        // The first data string has one page (the first tick after Start closes), the others
        // two.
        const QByteArray expected = page + closing + page + page + closing;
        QTRY_VERIFY_WITH_TIMEOUT(reader.poll().size() >= expected.size(), patienceMs);
        ::kill(pid_t(tool.process.processId()), SIGINT);
        QVERIFY(tool.finished());
        QCOMPARE(tool.process.exitCode(), 0);
        QVERIFY(reader.poll().startsWith(expected));
        QCOMPARE(QString::fromUtf8(tool.readErr()).count(QString::fromUtf8(notice)), 1);
        QVERIFY2(tool.err.contains(" bytes per second; data strings that do not fit are left out "
                                   "whole\n"),
                 tool.err.constData());
    }

    void missingAndBusyDevicesAreRefused()
    {
        QTemporaryDir dir;
        const QString missing = dir.filePath(QStringLiteral("ttyUSB9"));
        Tool absent;
        absent.start({QStringLiteral("--settings"), writeSetup(dir), QStringLiteral("--port"),
                      QStringLiteral("3=") + missing, QStringLiteral("--set"),
                      QStringLiteral("Text7=3"), QStringLiteral("--start"),
                      QStringLiteral("--duration"), QStringLiteral("0.2")});

        PseudoTerminal pty;
        pty.closeSlave();
        Tool holder;
        holder.start({QStringLiteral("--settings"), writeSetup(dir), QStringLiteral("--port"),
                      QStringLiteral("1=") + pty.slavePath(), QStringLiteral("--start")});
        QTRY_VERIFY_WITH_TIMEOUT(!pty.poll().isEmpty(), patienceMs); // it holds the device
        Tool second;
        second.start({QStringLiteral("--settings"), writeSetup(dir), QStringLiteral("--port"),
                      QStringLiteral("1=") + pty.slavePath(), QStringLiteral("--start"),
                      QStringLiteral("--duration"), QStringLiteral("0.2")});
        // --start that cannot start ends the run at once, status 1: nothing would be sent.
        QVERIFY(second.finished());
        QCOMPARE(second.process.exitCode(), 1);
        QCOMPARE(second.readErr(),
                 QStringLiteral("dryx-plc-test: Start: Cannot open Com Port 1 (%1): the device "
                                "is in use by another program (port refused)\n")
                         .arg(pty.slavePath())
                         .toUtf8() +
                     summary(0, 0, 0, 1));
        holder.send("quit");
        QVERIFY(holder.finished());

        QVERIFY(absent.finished());
        QCOMPARE(absent.process.exitCode(), 1);
        QCOMPARE(absent.readErr(),
                 QStringLiteral("dryx-plc-test: Start: Cannot open Com Port 3 (%1): No such file "
                                "or directory (port refused)\n")
                         .arg(missing)
                         .toUtf8() +
                     summary(0, 0, 0, 1));
    }

    void aDeviceGoneMidRunStopsTheRunOnce()
    {
        QTemporaryDir dir;
        const QString link = dir.filePath(QStringLiteral("ttyUSB0"));
        auto pty = std::make_unique<PseudoTerminal>();
        pty->closeSlave();
        QVERIFY(QFile::link(pty->slavePath(), link));
        Tool tool;
        tool.start({QStringLiteral("--settings"), writeSetup(dir), QStringLiteral("--port"),
                    QStringLiteral("1=") + link, QStringLiteral("--start")});
        QTRY_VERIFY_WITH_TIMEOUT(pty->poll().endsWith(terminator), patienceMs);
        pty.reset(); // the adapter is pulled out
        QTRY_VERIFY_WITH_TIMEOUT(tool.readErr().contains('\n'), patienceMs);
        const QByteArray prefix =
            QStringLiteral("dryx-plc-test: Data transmission: Com Port 1 (%1) went away: ")
                .arg(link)
                .toUtf8();
        QVERIFY2(tool.err.startsWith(prefix), tool.err.constData());
        QVERIFY2(tool.err.endsWith("; the run has been stopped (port refused)\n"),
                 tool.err.constData());
        tool.send("show");
        QTRY_VERIFY_WITH_TIMEOUT(tool.readOut().endsWith("\nend\n"), patienceMs);
        QVERIFY(tool.out.contains("\nMSComm1.PortOpen=False\n"));
        QVERIFY(tool.out.contains("\nTimer4.Enabled=False\n"));
        QVERIFY(tool.out.contains("\nShape1.FillColor=255\n"));
        tool.send("status");
        QTRY_VERIFY_WITH_TIMEOUT(tool.readOut().endsWith("\nErrors=1\nFaults.Armed=0\n"
                                                         "Scenario.Step=0\nScenario.Steps=0\n"
                                                         "Scenario.NextAt=\nScenario.Next=\nend\n"),
                                 patienceMs);
        QVERIFY(tool.out.contains(
            "\nLine.Kind=device\nLine.ComPort=1\nLine.Device=" + link.toUtf8() + "\nLine.Link=\n"));
        QVERIFY(tool.out.contains("\nRun.State=stopped\n"));
        // Stopped since the device went away, after the first data string (1000 ms after Start).
        QVERIFY(statusNumber(tool.out, "Run.Since") > 1000);
        QCOMPARE(tool.err.count('\n'), 1); // reported once

        // The device is back: Start works again.
        PseudoTerminal back;
        back.closeSlave();
        QVERIFY(QFile::remove(link));
        QVERIFY(QFile::link(back.slavePath(), link));
        tool.send("start");
        QTRY_VERIFY_WITH_TIMEOUT(back.poll().endsWith(terminator), patienceMs);
        QVERIFY(back.poll().startsWith(values + "0\r\n0\r\n" + terminator));
        tool.send("quit");
        QVERIFY(tool.finished());
        QCOMPARE(tool.process.exitCode(), 1); // the line failing is an error of the run
        QCOMPARE(tool.readErr().count('\n'), 2);
        QVERIFY2(tool.err.endsWith(" 1 error reported\n"), tool.err.constData());
    }

    // `status` as a scenario's step, and at the end of the trace: how the run goes, one block.
    void statusTellsHowTheRunGoes()
    {
        QTemporaryDir dir;
        const QString script = writeScript(dir, "at 0 start\nat 1200 fault delay 100 x5\n"
                                                "at 1300 status\nat 2300 stop\nat 3000 quit\n");
        Tool tool;
        tool.start({QStringLiteral("--settings"), writeSetup(dir), QStringLiteral("--virtual-time"),
                    QStringLiteral("--script"), script, QStringLiteral("--trace")});
        QVERIFY(tool.finished());
        QCOMPARE(tool.process.exitCode(), 0);
        const auto block = [](int time, int bytes, const char* run, int sent, const char* faults,
                              const char* scenario) {
            return QStringLiteral("\nTime=%1\nLine.Kind=none\nLine.ComPort=1\nLine.Device=\n"
                                  "Line.Link=\nLine.Bytes=%2\nRun.State=%3\nDataStrings.Sent=%4\n"
                                  "DataStrings.LeftOut=0\nDataStrings.Lost=0\nErrors=0\nFaults."
                                  "Armed=1\nFault(1)=%5\n"
                                  "Scenario.Step=%6\nend\n")
                .arg(time)
                .arg(bytes)
                .arg(QLatin1String(run))
                .arg(sent)
                .arg(QLatin1String(faults), QLatin1String(scenario))
                .toUtf8();
        };
        const QByteArray out = tool.readOut();
        QVERIFY2(out.contains(block(1300, 44, "running\nRun.Since=0", 1, "delay 100 x5",
                                    "3\nScenario.Steps=5\nScenario.NextAt=2300\n"
                                    "Scenario.Next=stop")),
                 out.constData());
        QVERIFY2(out.endsWith(block(3000, 3 * 44, "stopped\nRun.Since=2300", 3, "delay 100 x3",
                                    "5\nScenario.Steps=5\nScenario.NextAt=\nScenario.Next=")),
                 out.constData());
    }

    void badUsageEndsWithStatus2_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("error");
        QTest::newRow("refused entry")
            << QStringList{QStringLiteral("--set"), QStringLiteral("Text1=5")}
            << QByteArray("dryx-plc-test: --set Text1=5: Invalid Data Points: Please insert a "
                          "number >=10  or  <200.\n");
        QTest::newRow("unknown option") << QStringList{QStringLiteral("--fast")}
                                        << QByteArray("dryx-plc-test: --fast: unknown option "
                                                      "(see --help)\n");
        QTest::newRow("missing settings")
            << QStringList{QStringLiteral("--settings"), QStringLiteral("/nonexistent/setup.ini")}
            << QByteArray("dryx-plc-test: --settings: there is no setup at "
                          "/nonexistent/setup.ini\n");
    }

    void badUsageEndsWithStatus2()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, error);
        QTemporaryDir dir;
        Tool tool;
        tool.start(QStringList{QStringLiteral("--settings"), writeSetup(dir)} + arguments);
        QVERIFY(tool.finished());
        QCOMPARE(tool.process.exitCode(), 2);
        QCOMPARE(tool.readErr(), error);
    }
};

QTEST_GUILESS_MAIN(EndToEndTest)
#include "tst_endtoend.moc"
