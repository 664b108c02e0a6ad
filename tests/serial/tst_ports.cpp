// The lines themselves: one contract that every line keeps (the recorder of the tests, a serial
// device on a real pseudo-terminal, the virtual line), then the devices' own ways: refusals,
// exclusive use, a device that goes away and comes back, the virtual line's link and its reader.
// The write path's times are checked in virtual time (tst_linepacing); here only that the wire
// is paced at all.
#include "core/LineObserver.h"
#include "core/SerialControl.h"
#include "core/SimulatorError.h"
#include "core/UsageError.h"
#include "core/VirtualClock.h"
#include "platform/MonotonicClock.h"
#include "serial/PacedLine.h"
#include "serial/SerialLines.h"
#include "serial/VirtualLine.h"
#include "tests/support/Patience.h"
#include "tests/support/PseudoTerminal.h"
#include "tests/support/RecordingLine.h"
#include "tests/support/RecordingReporter.h"
#include "tests/support/TickWriter.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
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

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

// What is at a path, links not followed.
QString entryAt(const QString& path)
{
    const QFileInfo entry(path);
    if (entry.isSymLink())
        return "link to " + entry.symLinkTarget();
    return entry.isDir() ? "folder" : entry.exists() ? "file" : "nothing";
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

// A port on one kind of line, with the far end of its wire.
struct LineUnderTest {
    MonotonicClock clock;
    RecordingReporter reporter;
    PseudoTerminal pty; // a serial device's far end
    RecordingLine* recorder = nullptr;
    int reader = -1; // the virtual line's reader
    QByteArray received;
    std::unique_ptr<SerialControl> port;

    explicit LineUnderTest(const QString& kind)
    {
        if (kind == QLatin1String("recorder")) {
            recorder = new RecordingLine(clock);
            port = std::make_unique<SerialControl>(std::unique_ptr<SerialLine>(recorder));
        } else if (kind == QLatin1String("pty device")) {
            pty.closeSlave();
            PortMap map;
            map.map(3, pty.slavePath());
            port = std::make_unique<SerialControl>(SerialLines::devices(clock, map, reporter));
        } else {
            auto line = VirtualLine::create(clock, QString(), reporter);
            reader = openReader(line->path());
            port = std::make_unique<SerialControl>(
                SerialLines::virtualLine(clock, std::move(line), reporter));
        }
    }
    ~LineUnderTest()
    {
        port.reset();
        if (reader >= 0)
            ::close(reader);
    }
    // What has come out at the far end so far.
    const QByteArray& farEnd()
    {
        if (recorder)
            received = recorder->allBytes();
        else if (reader >= 0)
            received += readAll(reader);
        else
            received = pty.poll();
        return received;
    }
};
} // namespace

class PortsTest : public QObject
{
    Q_OBJECT
private slots:
    // Each row: what the transmitters write, tick by tick ("Stop, Start" stops and starts
    // again once the far end has had everything), and what must come out at the far end.
    void everyLineKeepsTheContract_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QList<QStringList>>("ticks");
        QTest::addColumn<QByteArray>("farEnd");
        using Ticks = QList<QStringList>;
        const QStringList example{"1\r\n", "2\r\n", "3\r\n", "0\r\n", "1\r\n", "63536\r\n"};
        for (const char* kind : {"recorder", "pty device", "virtual line"}) {
            const auto row = [kind](const char* scenario) -> QTestData& {
                return QTest::addRow("%s: %s", kind, scenario) << QString::fromLatin1(kind);
            };
            row("one line, 4 bytes") << Ticks{{"42\r\n"}} << QByteArray("\x34\x32\x0D\x0A");
            row("an empty terminator is CR LF alone") << Ticks{{"\r\n"}} << QByteArray("\r\n");
            row("ticks in order, each line whole") << Ticks{example, example} << page.repeated(2);
            row("beyond ASCII: Latin-1 as its byte, anything above as ?")
                << Ticks{{"\u00e9\r\n", "\u00e9\u20ac\U0001F600\r\n"}}
                << QByteArray("\xE9\r\n\xE9??\r\n");
            row("Stop, then Start sends again")
                << Ticks{example, {"Stop, Start"}, example} << page.repeated(2);
        }
    }

    void everyLineKeepsTheContract()
    {
        QFETCH(QString, kind);
        QFETCH(QList<QStringList>, ticks);
        QFETCH(QByteArray, farEnd);
        LineUnderTest line(kind);
        openPort(*line.port, 3);
        QVERIFY2(line.port->description().startsWith(QLatin1String("Com Port 3")),
                 qPrintable(line.port->description()));
        QByteArray written;
        for (const QStringList& lines : ticks) {
            if (lines == QStringList{"Stop, Start"}) {
                QTRY_COMPARE_WITH_TIMEOUT(line.farEnd(), written, patienceMs);
                line.port->setPortOpen(false);
                openPort(*line.port, 3);
                continue;
            }
            auto tick = line.port->beginTick();
            for (const QString& text : lines) {
                line.port->setOutput(text);
                written += SerialControl::lineBytes(text);
            }
            tick.closesDataString();
        }
        QTRY_COMPARE_WITH_TIMEOUT(line.farEnd(), farEnd, patienceMs);
        line.port->setPortOpen(false);
        QVERIFY(!line.port->portOpen());
        QVERIFY(line.reporter.reports.isEmpty());
    }

    // What is at the link's place decides whether the link is made, taken over or refused; a
    // refusal touches nothing, and the end removes the link only while it points to the line.
    void virtualLineClaimsItsLink_data()
    {
        QTest::addColumn<QString>("there");
        QTest::addColumn<QString>("refusal"); // empty: claimed
        for (const char* there : {"nothing", "an old link", "a stale claim", "a sticky open folder",
                                  "a relative link", "a replacement meanwhile"})
            QTest::newRow(there) << there << QString();
        const QString cannot = "cannot make the link {link} to the virtual line: ";
        QTest::newRow("a file") << "a file" << cannot + "it exists and is not a symbolic link";
        QTest::newRow("a folder") << "a folder" << cannot + "it exists and is not a symbolic link";
        QTest::newRow("another user's link")
            << "another user's link"
            << cannot + "it belongs to another user (nobody): choose another link with "
                        "--virtual-port=LINK";
        QTest::newRow("an open folder")
            << "an open folder"
            << cannot + "other users can replace what is in {folder}; choose a folder of your own, "
                        "or a shared one with the sticky bit such as /tmp";
        QTest::newRow("a linked lock file")
            << "a linked lock file"
            << "{link}.lock, the lock file of the link, is not a plain file: remove it, or "
               "choose another link with --virtual-port=LINK";
        QTest::newRow("a running holder")
            << "a running holder"
            << "{link} is the link of another running dryx-plc-test (process {pid}): give this "
               "one a link of its own, e.g. --virtual-port={link}-2";
    }

    void virtualLineClaimsItsLink()
    {
        QFETCH(QString, there);
        QFETCH(QString, refusal);
        QTemporaryDir top;
        const QString folder = top.filePath("folder");
        const QString link = folder + "/line";
        QVERIFY(QDir().mkdir(folder));
        VirtualClock clock;
        RecordingReporter reporter;
        std::unique_ptr<VirtualLine> holder;
        if (there == "an old link" || there == "a stale claim" || there == "another user's link")
            QVERIFY(QFile::link("/dev/null", link));
        if (there == "a stale claim") // its holder was killed: the lock file names it, unlocked
            QVERIFY(writeFile(link + ".lock", "999999\n"));
        if (there == "a file")
            QVERIFY(writeFile(link, ""));
        if (there == "a folder")
            QVERIFY(QDir().mkdir(link));
        if (there == "another user's link" &&
            (::geteuid() != 0 || ::lchown(qPrintable(link), 65534, 65534) != 0))
            QSKIP("giving a link to another user needs root");
        if (there.endsWith("open folder"))
            QCOMPARE(::chmod(qPrintable(folder), there.contains("sticky") ? 01777 : 0777), 0);
        if (there == "a linked lock file")
            QVERIFY(writeFile(top.filePath("mine"), "kept") &&
                    QFile::link(top.filePath("mine"), link + ".lock"));
        if (there == "a running holder")
            holder = VirtualLine::create(clock, link, reporter);
        const QString before = entryAt(link);
        const QString working = QDir::currentPath();
        if (there == "a relative link")
            QDir::setCurrent(folder);
        std::unique_ptr<VirtualLine> line;
        try {
            line = VirtualLine::create(clock, there == "a relative link" ? "line" : link, reporter);
        } catch (const UsageError& error) {
            QDir::setCurrent(working);
            QCOMPARE(error.action(), QStringLiteral("--virtual-port"));
            QCOMPARE(error.message(), QString(refusal)
                                          .replace("{link}", link)
                                          .replace("{folder}", folder)
                                          .replace("{pid}", QString::number(::getpid())));
            QCOMPARE(entryAt(link), before);
            if (there == "a linked lock file") // not followed
                QCOMPARE(readFile(top.filePath("mine")), QByteArray("kept"));
            return;
        }
        QDir::setCurrent(working);
        QVERIFY2(refusal.isEmpty(), "claimed");
        QCOMPARE(line->link(), link); // absolute, as Wine is given it
        QCOMPARE(entryAt(link), "link to " + line->path());
        QCOMPARE(readFile(link + ".lock"), QByteArray::number(::getpid()) + '\n');
        if (there == "a replacement meanwhile")
            QVERIFY(QFile::remove(link) && QFile::link("/dev/zero", link));
        line.reset();
        QCOMPARE(entryAt(link),
                 there == "a replacement meanwhile" ? "link to /dev/zero" : "nothing");
        QVERIFY(!QFileInfo::exists(link + ".lock"));
    }

    // On the program's own clock: the bytes arrive whole and in order, and take the line's time.
    void virtualLineCarriesExactBytesAtTheLineRate()
    {
        MonotonicClock clock;
        RecordingReporter reporter;
        auto line = VirtualLine::create(clock, QString(), reporter);
        const int reader = openReader(line->path());
        QVERIFY(reader >= 0);
        auto paced = SerialLines::virtualLine(clock, std::move(line), reporter);
        const WireFeed& feed = paced->feed();
        const auto port = std::make_unique<SerialControl>(std::move(paced));
        openPort(*port, 7); // any number: the virtual line
        QCOMPARE(port->portOpen(), true);
        QElapsedTimer elapsed;
        elapsed.start();
        writeTick(*port, page.repeated(2), false); // two pages, one data string
        writeTick(*port, page.repeated(2));
        // The writes have returned with the bytes still waiting for the wire: the 88 bytes take
        // 88 character times (91.7 ms).
        QVERIFY(feed.queuedBytes() > 0);
        QByteArray received;
        QTRY_VERIFY_WITH_TIMEOUT((received += readAll(reader)).size() >= 4 * page.size(),
                                 patienceMs);
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
        RecordingReporter reporter;
        auto created = VirtualLine::create(clock, QString(), reporter);
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
        QTRY_VERIFY_WITH_TIMEOUT(!line.readerPresent(),
                                 patienceMs); // the kernel's hang-up takes a moment
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

    // A reader that has the line open and does not read for a minute, in virtual time on a real
    // pseudo-terminal: once its buffer (4095 bytes) holds ten data strings, the next are lost
    // whole, and it is told once; when it reads again it has whole data strings, exactly those
    // the ticks say were sent, and the next go whole again.
    void virtualLineLosesWholeDataStringsWhileItsReaderDoesNotRead()
    {
        VirtualClock clock;
        RecordingReporter reporter;
        auto created = VirtualLine::create(clock, QString(), reporter);
        const QString path = created->path();
        const int reader = openReader(path);
        auto paced = SerialLines::virtualLine(clock, std::move(created), reporter);
        const WireFeed& feed = paced->feed();
        SerialControl port(std::move(paced));
        struct : LineObserver {
            QList<Delivery> deliveries;
            void tickEnded(const TickRecord& tick) override { deliveries.append(tick.delivery); }
            void lineFailed(const QString&) override {}
        } observer;
        port.setObserver(&observer);
        openPort(port, 1);
        const auto dataString = [](int i) { // 403 bytes, each its own
            return (QByteArray::number(i).rightJustified(7, '0') + "\r\n").repeated(44) +
                   "63536\r\n";
        };
        QByteArray received;
        for (int i = 0; i < 140; ++i) { // every 500 ms; it reads after the one at 60 s
            clock.advanceTo(500ms * i);
            writeTick(port, dataString(i));
            clock.advanceBy(499ms);
            if (i >= 120)
                received += readAll(reader);
            // What was handed over has reached the reader's side before the next data string.
            const qint64 unread = std::min<qint64>(feed.bytesHandedOver() - received.size(), 4095);
            QTRY_VERIFY_WITH_TIMEOUT(
                [&] {
                    int count = -1;
                    return ::ioctl(reader, FIONREAD, &count) == 0 && count == unread;
                }(),
                patienceMs);
        }
        // Ten fit in its buffer, the next 111 are lost, the rest go once it reads again.
        const QList<Delivery> expected = QList<Delivery>(10, Delivery::Sent) +
                                         QList<Delivery>(111, Delivery::Lost) +
                                         QList<Delivery>(19, Delivery::Sent);
        QCOMPARE(observer.deliveries, expected);
        QByteArray sent;
        for (int i = 0; i < 140; ++i)
            sent += expected[i] == Delivery::Sent ? dataString(i) : QByteArray();
        QCOMPARE(received, sent);
        QCOMPARE(reporter.notices,
                 QStringList{QStringLiteral("Data transmission: the reader of %1 has not read for "
                                            "5 s: data strings are lost until it reads again")
                                 .arg(path)});
        port.setObserver(nullptr);
        ::close(reader);
    }

    // The settings a reader sets on its side of the pair, as the line sees them, held against
    // what the line sends: a difference is told when the reader sets it, nothing in between;
    // looked at every second while the line is idle, at a hand-over while it sends.
    void virtualLineChecksWhatItsReaderSets()
    {
        VirtualClock clock;
        RecordingReporter reporter;
        const auto line = VirtualLine::create(clock, QString(), reporter);
        clock.advanceTo(1s);
        QCOMPARE(line->receiver(), std::nullopt); // nobody there
        const int reader = ::open(QFile::encodeName(line->path()).constData(), O_RDWR | O_NOCTTY);
        QVERIFY(reader >= 0);
        clock.advanceBy(1s);
        QCOMPARE(line->receiver()->text(), QStringLiteral("9600,N,8,1")); // as created
        QVERIFY(reporter.reports.isEmpty());
        termios settings{};
        QVERIFY(::tcgetattr(reader, &settings) == 0);
        cfsetspeed(&settings, B19200);
        settings.c_cflag |= CSTOPB;
        QVERIFY(::tcsetattr(reader, TCSANOW, &settings) == 0);
        clock.advanceBy(999ms);
        QVERIFY(reporter.reports.isEmpty());
        clock.advanceBy(1ms);
        QCOMPARE(line->receiver()->text(), QStringLiteral("19200,N,8,2"));
        QCOMPARE(reporter.notices,
                 QStringList{QStringLiteral("Data transmission: the receiver on %1 set 19200 bit/s "
                                            "and 2 stop bits; the line sends 9600,N,8,1: on a real "
                                            "line it would read garbage")
                                 .arg(line->path())});
        clock.advanceBy(1s);
        QCOMPARE(reporter.reports.size(), 1); // unchanged: nothing more
        cfsetspeed(&settings, B9600);
        QVERIFY(::tcsetattr(reader, TCSANOW, &settings) == 0);
        clock.advanceBy(100ms);
        QCOMPARE(line->receiver()->text(), QStringLiteral("19200,N,8,2")); // idle: not yet
        line->deliver("1");
        QCOMPARE(line->receiver()->text(), QStringLiteral("9600,N,8,2")); // sending: at once
        QCOMPARE(reporter.notices.size(), 2);
        QVERIFY2(reporter.notices[1].contains(QStringLiteral("set 2 stop bits")),
                 qPrintable(reporter.notices[1]));
        ::close(reader);
        QTRY_VERIFY_WITH_TIMEOUT(!line->readerPresent(), patienceMs);
        clock.advanceBy(1s);
        QCOMPARE(line->receiver(), std::nullopt);
        QCOMPARE(reporter.reports.size(), 2);
    }

    // A device that cannot take what is written is given whole data strings or none.
    void deviceLeavesOutWholeDataStrings()
    {
        PseudoTerminal pty;
        QVERIFY(pty.isValid());
        pty.closeSlave();
        PortMap map;
        map.map(2, pty.slavePath());
        MonotonicClock clock;
        RecordingReporter reporter;
        auto paced = SerialLines::devices(clock, map, reporter);
        const PacedLine& line = *paced;
        SerialControl port(std::move(paced));
        openPort(port, 2);
        writeTick(port, page, false);
        writeTick(port, page);
        writeTick(port, page); // waits for the one before
        writeTick(port, page); // two ahead of it: left out whole
        QTRY_COMPARE_WITH_TIMEOUT(pty.poll(), page.repeated(3), patienceMs);
        QCOMPARE(line.dataStringsLeftOut(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(reporter.notices.size(), 1, patienceMs);
        port.setPortOpen(false);
    }

    void deviceRefusals()
    {
        QTemporaryDir dir;
        PortMap map;
        const QString missing = dir.filePath(QStringLiteral("ttyMissing"));
        map.map(3, missing);
        MonotonicClock clock;
        RecordingReporter reporter;
        SerialControl port(SerialLines::devices(clock, map, reporter));
        QCOMPARE(
            refusalOf(port, 3),
            QStringLiteral("Cannot open Com Port 3 (%1): No such file or directory").arg(missing));
        QCOMPARE(port.portOpen(), false);
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
        MonotonicClock clock;
        RecordingReporter reporter;
        SerialControl first(SerialLines::devices(clock, map, reporter));
        openPort(first, 1);
        SerialControl second(SerialLines::devices(clock, map, reporter));
        QCOMPARE(refusalOf(second, 1),
                 QStringLiteral("Cannot open Com Port 1 (%1): the device is in use by another "
                                "program")
                     .arg(pty.slavePath()));
        QCOMPARE(refusalOf(second, 2),
                 QStringLiteral("Cannot open Com Port 2 (%1): the device is in use by another "
                                "program")
                     .arg(link));
        first.setPortOpen(false);
        openPort(second, 2); // free again
        second.setPortOpen(false);
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
        MonotonicClock clock;
        RecordingReporter reporter;
        SerialControl port(SerialLines::devices(clock, map, reporter));
        struct : LineObserver {
            QStringList failures;
            void tickEnded(const TickRecord&) override {}
            void lineFailed(const QString& reason) override { failures.append(reason); }
        } observer;
        port.setObserver(&observer);
        const QStringList& failures = observer.failures;
        openPort(port, 1);
        writeTick(port, page);
        QTRY_COMPARE_WITH_TIMEOUT(pty->poll(), page, patienceMs);
        pty.reset(); // pulled out
        // Writes go on until the failure is seen; none of them throws or blocks.
        for (int i = 0; i < 5 && port.portOpen(); ++i) {
            writeTick(port, page);
            QTest::qWait(30);
        }
        QTRY_COMPARE_WITH_TIMEOUT(failures.size(), 1, patienceMs);
        QVERIFY2(failures[0].startsWith(QStringLiteral("Com Port 1 (%1) went away: ").arg(link)),
                 qPrintable(failures[0]));
        QCOMPARE(port.portOpen(), false);
        QTest::qWait(50);
        QCOMPARE(failures.size(), 1);

        // The device is back (under the same name): Start opens it again.
        PseudoTerminal back;
        back.closeSlave();
        QVERIFY(QFile::remove(link));
        QVERIFY(QFile::link(back.slavePath(), link));
        openPort(port, 1);
        writeTick(port, page);
        QTRY_COMPARE_WITH_TIMEOUT(back.poll(), page, patienceMs);
        port.setPortOpen(false);
        port.setObserver(nullptr);
    }
};

QTEST_GUILESS_MAIN(PortsTest)
#include "tst_ports.moc"
