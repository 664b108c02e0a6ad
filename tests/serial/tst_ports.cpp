// The devices themselves on real pseudo-terminals: exact bytes, refusals, exclusive use, a
// device that goes away and comes back, the virtual line's link and its reader. The write path's
// times are checked in virtual time (tst_linepacing); here only that the wire is paced at all.
#include "core/PreciseClock.h"
#include "core/SimulatorError.h"
#include "core/UsageError.h"
#include "core/VirtualClock.h"
#include "serial/PacedSerialControl.h"
#include "serial/SerialLines.h"
#include "serial/VirtualLine.h"
#include "tests/support/PseudoTerminal.h"
#include "tests/support/TickWriter.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

using namespace std::chrono_literals;

namespace
{
const QByteArray page = "1\r\n2\r\n3\r\n0\r\n1\r\n63536\r\n"; // 22 bytes, the worked example

void openPort(SerialControl& port, qint16 number)
{
    port.setCommPort(number);
    port.setSettings(QStringLiteral("9600,N,8,1"));
    port.setPortOpen(true);
}

QString refusalOf(SerialControl& port, qint16 number)
{
    try {
        openPort(port, number);
    } catch (const SimulatorError& error) {
        return error.reason();
    }
    return {};
}

// A reader of the virtual line, as a monitoring application opens it.
int openReader(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    return fd;
}

QByteArray readAll(int fd)
{
    QByteArray all;
    char buffer[4096];
    ssize_t count;
    while ((count = ::read(fd, buffer, sizeof buffer)) > 0)
        all.append(buffer, count);
    return all;
}
} // namespace

class PortsTest : public QObject
{
    Q_OBJECT
private slots:
    void virtualLineLinksAndUnlinks()
    {
        QTemporaryDir dir;
        const QString link = dir.filePath(QStringLiteral("line"));
        QVERIFY(QFile::link(QStringLiteral("/dev/null"), link)); // an old link is replaced
        VirtualClock clock;
        {
            const auto line = VirtualLine::create(clock, link);
            QVERIFY(line->path().startsWith(QLatin1String("/dev/pts/")));
            QCOMPARE(QFileInfo(link).symLinkTarget(), line->path());
        }
        QVERIFY(!QFileInfo::exists(link));
        QVERIFY(!QFileInfo(link).isSymLink());
    }

    void virtualLineWillNotReplaceAFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("file"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        VirtualClock clock;
        try {
            VirtualLine::create(clock, path);
            QFAIL("replaced a file");
        } catch (const UsageError& error) {
            QCOMPARE(error.action(), QStringLiteral("--virtual-port"));
            QCOMPARE(error.message(), QStringLiteral("cannot make the link %1 to the virtual "
                                                     "line: it exists and is not a symbolic link")
                                          .arg(path));
        }
        QVERIFY(QFileInfo(path).isFile());
    }

    // On the program's own clock: the bytes arrive whole and in order, and take the line's time.
    void virtualLineCarriesExactBytesAtTheLineRate()
    {
        PreciseClock clock;
        auto line = VirtualLine::create(clock, QString());
        const int reader = openReader(line->path());
        QVERIFY(reader >= 0);
        const auto port = SerialLines::virtualLine(clock, std::move(line));
        openPort(*port, 7); // any number: the virtual line
        QCOMPARE(port->portOpen(), true);
        QElapsedTimer elapsed;
        elapsed.start();
        writeTick(*port, page.repeated(2), false); // two pages, one data string
        writeTick(*port, page.repeated(2));
        // The writes return at once; the 88 bytes take 88 character times (91.7 ms).
        QVERIFY(elapsed.elapsed() < 20);
        QByteArray received;
        QTRY_VERIFY_WITH_TIMEOUT((received += readAll(reader)).size() >= 4 * page.size(), 5000);
        QCOMPARE(received, page.repeated(4));
        QVERIFY2(elapsed.elapsed() >= 88, qPrintable(QString::number(elapsed.elapsed())));
        port->setPortOpen(false);
        ::close(reader);
    }

    // In virtual time on a real pseudo-terminal: what is sent while nobody reads is lost, and a
    // reader that comes is seen at the line's next look (50 ms at most), with nothing stale.
    void virtualLineLooksForItsReaderEvery50ms()
    {
        VirtualClock clock;
        auto created = VirtualLine::create(clock, QString());
        VirtualLine& line = *created;
        QVERIFY(!line.readerPresent());
        line.deliver(page); // looks: nobody there
        QCOMPARE(line.bytesLost(), page.size());
        const int reader = openReader(line.path());
        QVERIFY(line.readerPresent());
        clock.advanceTo(49ms);
        line.deliver(page); // not looked at again yet: still lost
        QCOMPARE(line.bytesLost(), 2 * page.size());
        clock.advanceTo(50ms);
        line.deliver(page); // looks, finds the reader
        QCOMPARE(line.bytesLost(), 2 * page.size());
        QCOMPARE(readAll(reader), page);
        ::close(reader);
        QTRY_VERIFY(!line.readerPresent()); // the kernel's hang-up takes a moment
        clock.advanceTo(99ms);
        line.deliver(page); // gone, but not yet seen gone: the pty takes it and it is flushed
        clock.advanceTo(100ms);
        line.deliver(page);
        QCOMPARE(line.bytesLost(), 3 * page.size());
        const int again = openReader(line.path());
        clock.advanceTo(150ms);
        line.deliver(page);
        QCOMPARE(readAll(again), page); // only what was sent since it came
        ::close(again);
    }

    // The settings a reader sets on its side of the pair, as the line sees them: told when a
    // reader comes and whenever they change, nothing in between.
    void virtualLineSeesWhatItsReaderSets()
    {
        VirtualClock clock;
        const auto line = VirtualLine::create(clock, QString());
        QList<LineSettings> told;
        line->setReceiverHandler([&](const LineSettings& settings) { told.append(settings); });
        clock.advanceTo(1s);
        QVERIFY(told.isEmpty()); // nobody there
        QCOMPARE(line->receiver(), std::nullopt);
        const int reader = ::open(QFile::encodeName(line->path()).constData(), O_RDWR | O_NOCTTY);
        QVERIFY(reader >= 0);
        clock.advanceBy(100ms);
        QCOMPARE(told.size(), 1); // as created: 9600,N,8,1
        QCOMPARE(told[0].text(), QStringLiteral("9600,N,8,1"));
        termios settings{};
        QVERIFY(::tcgetattr(reader, &settings) == 0);
        cfsetspeed(&settings, B19200);
        settings.c_cflag |= CSTOPB;
        QVERIFY(::tcsetattr(reader, TCSANOW, &settings) == 0);
        clock.advanceBy(99ms);
        QCOMPARE(told.size(), 1);
        clock.advanceBy(1ms);
        QCOMPARE(told.size(), 2);
        QCOMPARE(told[1].text(), QStringLiteral("19200,N,8,2"));
        QCOMPARE(line->receiver()->text(), QStringLiteral("19200,N,8,2"));
        clock.advanceBy(1s);
        QCOMPARE(told.size(), 2); // unchanged: nothing more
        ::close(reader);
        QTRY_VERIFY(!line->readerPresent());
        clock.advanceBy(100ms);
        QCOMPARE(line->receiver(), std::nullopt);
        QCOMPARE(told.size(), 2);
    }

    void deviceCarriesExactBytes()
    {
        PseudoTerminal pty;
        QVERIFY(pty.isValid());
        pty.closeSlave();
        PortMap map;
        map.map(2, pty.slavePath());
        PreciseClock clock;
        const auto port = SerialLines::devices(clock, map);
        openPort(*port, 2);
        writeTick(*port, page, false);
        writeTick(*port, page);
        writeTick(*port, page); // waits for the one before
        writeTick(*port, page); // two ahead of it: left out whole
        QTRY_COMPARE_WITH_TIMEOUT(pty.poll(), page.repeated(3), 5000);
        QCOMPARE(port->dataStringsLeftOut(), 1);
        // Beyond ASCII (a terminator from the setup): Latin-1 as its byte, anything above "?".
        QTRY_COMPARE_WITH_TIMEOUT(port->backlogBytes(), 0, 5000); // the next data string goes
        writeTick(*port, "\xE9\r\n");
        {
            auto tick = port->beginTick();
            port->setOutput(QStringLiteral("\u00e9\u20ac\U0001F600\r\n"));
            tick.closesDataString();
        }
        QTRY_COMPARE_WITH_TIMEOUT(pty.poll(), page.repeated(3) + "\xE9\r\n\xE9??\r\n", 5000);
        port->setPortOpen(false);
        QCOMPARE(port->portOpen(), false);
    }

    void deviceRefusals()
    {
        QTemporaryDir dir;
        PortMap map;
        const QString missing = dir.filePath(QStringLiteral("ttyMissing"));
        map.map(3, missing);
        PreciseClock clock;
        const auto port = SerialLines::devices(clock, map);
        QCOMPARE(
            refusalOf(*port, 3),
            QStringLiteral("Cannot open Com Port 3 (%1): No such file or directory").arg(missing));
        QCOMPARE(port->portOpen(), false);
    }

    void aHeldDeviceIsRefused()
    {
        PseudoTerminal pty;
        pty.closeSlave();
        QTemporaryDir dir;
        const QString link = dir.filePath(QStringLiteral("ttyLink"));
        QVERIFY(QFile::link(pty.slavePath(), link));
        PortMap map;
        map.map(1, pty.slavePath());
        map.map(2, link); // the same device under another name
        PreciseClock clock;
        const auto first = SerialLines::devices(clock, map);
        openPort(*first, 1);
        const auto second = SerialLines::devices(clock, map);
        QCOMPARE(refusalOf(*second, 1),
                 QStringLiteral("Cannot open Com Port 1 (%1): the device is in use by another "
                                "program")
                     .arg(pty.slavePath()));
        QCOMPARE(refusalOf(*second, 2),
                 QStringLiteral("Cannot open Com Port 2 (%1): the device is in use by another "
                                "program")
                     .arg(link));
        first->setPortOpen(false);
        openPort(*second, 2); // free again
        second->setPortOpen(false);
    }

    void aDeviceThatGoesAwayIsReportedOnceAndClosed()
    {
        auto pty = std::make_unique<PseudoTerminal>();
        pty->closeSlave();
        QTemporaryDir dir;
        const QString link = dir.filePath(QStringLiteral("ttyUSB"));
        QVERIFY(QFile::link(pty->slavePath(), link));
        PortMap map;
        map.map(1, link);
        PreciseClock clock;
        const auto port = SerialLines::devices(clock, map);
        QStringList failures;
        port->setLineFailureHandler(
            [&failures](const QString& reason) { failures.append(reason); });
        openPort(*port, 1);
        writeTick(*port, page);
        QTRY_COMPARE_WITH_TIMEOUT(pty->poll(), page, 5000);
        pty.reset(); // pulled out
        // Writes go on until the failure is seen; none of them throws or blocks.
        for (int i = 0; i < 5 && port->portOpen(); ++i) {
            writeTick(*port, page);
            QTest::qWait(30);
        }
        QTRY_COMPARE_WITH_TIMEOUT(failures.size(), 1, 5000);
        QVERIFY2(failures[0].startsWith(QStringLiteral("Com Port 1 (%1) went away: ").arg(link)),
                 qPrintable(failures[0]));
        QCOMPARE(port->portOpen(), false);
        QTest::qWait(50);
        QCOMPARE(failures.size(), 1);

        // The device is back (under the same name): Start opens it again.
        PseudoTerminal back;
        back.closeSlave();
        QVERIFY(QFile::remove(link));
        QVERIFY(QFile::link(back.slavePath(), link));
        openPort(*port, 1);
        writeTick(*port, page);
        QTRY_COMPARE_WITH_TIMEOUT(back.poll(), page, 5000);
        port->setPortOpen(false);
    }
};

QTEST_GUILESS_MAIN(PortsTest)
#include "tst_ports.moc"
