// Twenty-four hours of each mode in virtual time, on the program's own write path, with alarms
// toggled and Start and Stop now and then: the exact number of data strings, every one whole,
// and nothing that grows.
#include "core/Form1.h"
#include "core/MapSettingsStore.h"
#include "core/Simulator.h"
#include "core/TimerFacility.h"
#include "core/VirtualClock.h"
#include "serial/BytePacer.h"
#include "serial/PacedLine.h"
#include "tests/support/RecordingReporter.h"
#include "tests/support/TickListener.h"

#include <QtTest>

#include <malloc.h>

using namespace std::chrono_literals;

namespace
{
constexpr qint64 minute = 60'000;
constexpr qint64 hour = 3'600'000;
constexpr qint64 day = 24 * hour;

// The closing ticks a run of `span` ms after Start has, from the timelines of the two modes:
// the first data set from Start, 1000 ms on; the data sets swapped every 5000 ms.
qint64 dataStringsIn(qint64 span, bool twoPage)
{
    qint64 count = 0;
    for (qint64 block = 1; (block - 1) * 5000 < span; ++block) {
        const qint64 start = (block - 1) * 5000;
        const qint64 end = std::min(span, block * 5000);
        qint64 first;
        qint64 step;
        if (twoPage) {
            first = block == 1 ? 1000 : block % 2 == 0 ? start + 10 : start + 510;
            step = 510; // a page, 10 ms, the closing page, 500 ms
        } else {
            first = block == 1 ? 1000 : block % 2 == 0 ? start + 10 : start + 500;
            step = 500;
        }
        // A block of the first data set ends with its own tick (a tick and a switch due at the
        // same moment go in timer order); one of the second data set ends at the switch.
        const qint64 last = block % 2 ? start + 5000 : start + 4999;
        for (qint64 t = first; t <= std::min(end, last); t += step)
            ++count;
    }
    return count;
}

// A device that checks every data string as it comes and keeps only counts.
class CheckingDevice : public SerialDevice
{
public:
    qint64 dataStrings = 0;
    qint64 torn = 0;
    qint64 raised = 0; // with alarm 1 raised
    QByteArray pending;

    void open(qint16, const LineSettings&, Events&) override {}
    void close() override {}
    void deliver(const QByteArray& bytes) override
    {
        pending += bytes;
        for (qsizetype end; (end = pending.indexOf("63536\r\n")) >= 0;) {
            check(pending.left(end));
            pending.remove(0, end + 7);
        }
    }
    QString describe(qint16 port) const override { return QStringLiteral("Com Port %1").arg(port); }

private:
    // One or two pages of 1..10 or 11..20, then the two alarm lines: alarm 1 raised or
    // clear, alarm 2 always clear.
    void check(const QByteArray& body)
    {
        ++dataStrings;
        QList<QByteArray> lines = body.split('\n');
        lines.removeLast(); // after the last LF
        const qsizetype values = lines.size() - 2;
        bool whole = (values == 10 || values == 20) && lines[values + 1] == "0\r" &&
                     (lines[values] == "0\r" || lines[values] == "1\r");
        for (qsizetype i = 0; whole && i < values; ++i) {
            const int value = lines[i].chopped(1).toInt();
            whole = value == int(i % 10) + 1 || value == int(i % 10) + 11;
        }
        torn += whole ? 0 : 1;
        raised += whole && lines[values] == "1\r" ? 1 : 0;
    }
};

struct DayRig {
    VirtualClock clock;
    TimerFacility timers{clock};
    CheckingDevice* device = new CheckingDevice;
    RecordingReporter reporter;
    PacedLine& line = *new PacedLine(
        clock, std::unique_ptr<SerialDevice>(device),
        [](double cps) { return std::make_unique<BytePacer>(cps); }, reporter); // the port's
    SerialControl port{std::unique_ptr<SerialLine>(&line)};
    MapSettingsStore store;
    Conversions rules{QLocale::c()};
    Form1 form{timers, port};
    Simulator simulator{form, store, timers, reporter, rules};
    qint64 closedAndSent = 0;
    TickListener sent{[this](auto, const TimerRole&, const TickRecord& tick) {
        closedAndSent += tick.closedDataString && tick.delivery == Delivery::Sent ? 1 : 0;
    }};

    explicit DayRig(bool twoPage)
    {
        for (const auto& [key, text] : {std::pair{"NumKTron", "5"},
                                        {"NumModbus", "0"},
                                        {"Num6B", "0"},
                                        {"NumRelay", "2"},
                                        {"PLCTerminator", "63536"}})
            store.set(QStringLiteral("kelmarith"), QStringLiteral("setup"), QLatin1String(key),
                      QLatin1String(text));
        simulator.Form_Load();
        form.Text4.setText(twoPage ? QStringLiteral("2") : QStringLiteral("1"));
        simulator.addObserver(&sent);
    }
};

size_t heapInUse()
{
#ifdef Q_OS_WIN
    size_t used = 0;
    _HEAPINFO entry{};
    while (_heapwalk(&entry) == _HEAPOK)
        if (entry._useflag == _USEDENTRY)
            used += entry._size;
    return used;
#else
    return mallinfo2().uordblks;
#endif
}
} // namespace

class LongRunsTest : public QObject
{
    Q_OBJECT
private slots:
    void aDayOfEachMode_data()
    {
        QTest::addColumn<bool>("twoPage");
        QTest::newRow("one page") << false;
        QTest::newRow("two pages") << true;
    }

    void aDayOfEachMode()
    {
        QFETCH(bool, twoPage);
        DayRig rig(twoPage);
        // The timelines themselves, for a day without a Stop.
        QCOMPARE(dataStringsIn(day, false), 172799);
        QCOMPARE(dataStringsIn(day, true), 164159);

        // Runs of 2 h less a minute, stopped for the minute, 200 ms past a switch (the line is
        // idle then, so Stop cuts no data string); alarm 1 toggled every seven minutes.
        qint64 expected = 0;
        size_t heapAfterAnHour = 0;
        for (qint64 start = 0; start < day; start += 2 * hour) {
            QVERIFY(rig.simulator.Command1_Click());
            const qint64 stopAt = start + 2 * hour - minute + 200;
            for (qint64 t = start + 7 * minute; t < stopAt; t += 7 * minute) {
                rig.clock.advanceTo(std::chrono::milliseconds(t));
                QVERIFY(rig.simulator.Command4_Click(1));
                if (start == 0 && t < hour)
                    heapAfterAnHour = heapInUse();
            }
            rig.clock.advanceTo(std::chrono::milliseconds(stopAt));
            QVERIFY(rig.simulator.Command3_Click());
            expected += dataStringsIn(stopAt - start, twoPage);
            rig.clock.advanceTo(std::chrono::milliseconds(start + 2 * hour));
        }
        QCOMPARE(rig.closedAndSent, expected);
        QCOMPARE(rig.device->dataStrings, expected);
        QCOMPARE(rig.device->torn, 0);
        // Alarm 1 travels in one-page data strings of the first data set only.
        QCOMPARE(rig.device->raised > 0, !twoPage);
        QCOMPARE(rig.device->pending, QByteArray());
        QCOMPARE(rig.line.dataStringsLeftOut(), 0);
        QCOMPARE(rig.line.feed().queuedBytes(), 0);
        QCOMPARE(rig.reporter.reports, QStringList());
#ifdef __SANITIZE_ADDRESS__ // the sanitizer keeps its own heap
        Q_UNUSED(heapAfterAnHour);
#else
        QVERIFY2(heapInUse() <= heapAfterAnHour + size_t{16} * 1024,
                 qPrintable(QStringLiteral("%1 bytes after an hour, %2 after a day")
                                .arg(heapAfterAnHour)
                                .arg(heapInUse())));
#endif
    }
};

QTEST_APPLESS_MAIN(LongRunsTest)
#include "tst_longruns.moc"
