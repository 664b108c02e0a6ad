// The two lines on real pseudo-terminals: exact bytes, pacing, refusals and a device that goes
// away. Times are checked with generous tolerances, bytes exactly.
#include "tests/support/PseudoTerminal.h"
#include "serial/SerialDevicePort.h"
#include "core/SimulatorError.h"
#include "serial/VirtualLine.h"
#include "serial/VirtualLinePort.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <unistd.h>

namespace
{
const QByteArray page = "1\r\n2\r\n3\r\n0\r\n1\r\n63536\r\n"; // 22 bytes, the worked example

// Writes as a transmitter tick does: a write per line, then the tick's end, which closes a
// data string or not.
void writeTick(SerialControl& port, const QByteArray& bytes, bool closing = true)
{
    for (const QByteArray& line : bytes.split('\n'))
        if (!line.isEmpty())
            port.setOutput(QString::fromLatin1(line + '\n'));
    port.tickEnded(closing);
}

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
    return QString();
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
        QString why;
        {
            const auto line = VirtualLine::create(link, &why);
            QVERIFY2(line, qPrintable(why));
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
        QString why;
        QVERIFY(!VirtualLine::create(path, &why));
        QCOMPARE(why, QStringLiteral("cannot make the link %1 to the virtual line: it exists and "
                                     "is not a symbolic link")
                          .arg(path));
        QVERIFY(QFileInfo(path).isFile());
    }

    void virtualLineCarriesExactBytesAtTheLineRate()
    {
        QString why;
        const auto line = VirtualLine::create(QString(), &why);
        QVERIFY2(line, qPrintable(why));
        const int reader = openReader(line->path());
        QVERIFY(reader >= 0);
        VirtualLinePort port(*line);
        openPort(port, 7); // any number: the virtual line
        QCOMPARE(port.portOpen(), true);
        QElapsedTimer clock;
        clock.start();
        writeTick(port, page.repeated(2), false); // two pages, one data string
        writeTick(port, page.repeated(2));
        // The writes return at once; the 88 bytes take 88 character times (91.7 ms).
        QVERIFY(clock.elapsed() < 20);
        QByteArray received;
        QTRY_VERIFY_WITH_TIMEOUT((received += readAll(reader)).size() >= 4 * page.size(), 5000);
        QCOMPARE(received, page.repeated(4));
        QVERIFY2(clock.elapsed() >= 88, qPrintable(QString::number(clock.elapsed())));
        port.setPortOpen(false);
        ::close(reader);
    }

    void stopNeverCutsALine()
    {
        QString why;
        const auto line = VirtualLine::create(QString(), &why);
        QVERIFY(line);
        const int reader = openReader(line->path());
        VirtualLinePort port(*line);
        openPort(port, 1);
        const QByteArray longLine = QByteArray(40, '7') + "\r\n";
        port.setOutput(QString::fromLatin1(longLine));
        port.setOutput(QStringLiteral("8\r\n"));
        port.setPortOpen(false); // the first line is on the wire: it is finished, not the next
        QByteArray received;
        QTRY_COMPARE_WITH_TIMEOUT(received += readAll(reader), longLine, 5000);
        QTest::qWait(20);
        QCOMPARE(received + readAll(reader), longLine);
        QCOMPARE(port.queuedBytes(), 0);
        ::close(reader);
    }

    void virtualLineWithoutReaderNeitherBlocksNorGrows()
    {
        QString why;
        const auto line = VirtualLine::create(QString(), &why);
        QVERIFY(line);
        QVERIFY(!line->readerPresent());
        VirtualLinePort port(*line);
        openPort(port, 1);
        QElapsedTimer clock;
        clock.start();
        writeTick(port, page);
        QTRY_COMPARE_WITH_TIMEOUT(port.queuedBytes(), 0, 5000);
        QCOMPARE(line->bytesLost(), page.size());
        // A reader that comes now gets what is sent from the moment the line sees it (within
        // 50 ms), nothing stale: whole data strings only.
        const int reader = openReader(line->path());
        QVERIFY(line->readerPresent());
        QByteArray received;
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                if (!port.queuedBytes())
                    writeTick(port, page);
                received += readAll(reader);
                return received.size() >= 2 * page.size();
            }(),
            5000);
        QTRY_COMPARE_WITH_TIMEOUT(port.queuedBytes(), 0, 5000);
        received += readAll(reader);
        QCOMPARE(received, page.repeated(received.size() / page.size()));
        ::close(reader);
        port.setPortOpen(false);
    }

    void deviceCarriesExactBytes()
    {
        PseudoTerminal pty;
        QVERIFY(pty.isValid());
        pty.closeSlave();
        PortMap map;
        map.map(2, pty.slavePath());
        SerialDevicePort port(map);
        openPort(port, 2);
        writeTick(port, page, false);
        writeTick(port, page);
        writeTick(port, page); // waits for the one before
        writeTick(port, page); // two ahead of it: left out whole
        QTRY_COMPARE_WITH_TIMEOUT(pty.poll(), page.repeated(3), 5000);
        QCOMPARE(port.dataStringsLeftOut(), 1);
        // Beyond ASCII (a terminator from the setup): Latin-1 as its byte, anything above "?".
        QTRY_COMPARE_WITH_TIMEOUT(port.backlogBytes(), 0, 5000); // the next data string goes
        port.setOutput(QStringLiteral("\u00e9\u20ac\U0001F600\r\n"));
        port.tickEnded(true);
        QTRY_COMPARE_WITH_TIMEOUT(pty.poll(), page.repeated(3) + "\xE9??\r\n", 5000);
        port.setPortOpen(false);
        QCOMPARE(port.portOpen(), false);
    }

    void deviceRefusals()
    {
        QTemporaryDir dir;
        PortMap map;
        const QString missing = dir.filePath(QStringLiteral("ttyMissing"));
        map.map(3, missing);
        SerialDevicePort port(map);
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
        SerialDevicePort first(map);
        openPort(first, 1);
        SerialDevicePort second(map);
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
        SerialDevicePort port(map);
        QStringList failures;
        port.setLineFailureHandler([&failures](const QString& reason) { failures.append(reason); });
        openPort(port, 1);
        writeTick(port, page);
        QTRY_COMPARE_WITH_TIMEOUT(pty->poll(), page, 5000);
        pty.reset(); // pulled out
        // Writes go on until the failure is seen; none of them throws or blocks.
        for (int i = 0; i < 5 && port.portOpen(); ++i) {
            writeTick(port, page);
            QTest::qWait(30);
        }
        QTRY_COMPARE_WITH_TIMEOUT(failures.size(), 1, 5000);
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
        QTRY_COMPARE_WITH_TIMEOUT(back.poll(), page, 5000);
        port.setPortOpen(false);
    }
};

QTEST_GUILESS_MAIN(PortsTest)
#include "tst_ports.moc"
