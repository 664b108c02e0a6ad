#include "core/Dispatcher.h"
#include "core/TimerSchedule.h"
#include "platform/MonotonicClock.h"
#include "tests/support/Patience.h"
#include "tests/support/SimulatorRig.h"

#include <QtTest>

using namespace std::chrono_literals;
using Ms = std::chrono::milliseconds;

// The timers' rules: when ticks come, in which order, after stalls; and how errors from
// handlers reach the operator.
class TimersTest : public QObject
{
    Q_OBJECT

private slots:
    void restartRule();
    void negativeIntervalIsRefused();
    void ticksDueTogetherGoInTimerOrder();
    void restartDuringATickCountsFromItsDueTime_data();
    void restartDuringATickCountsFromItsDueTime();
    void aStallBringsNoBurstOfTicks();
    void eventLoopDeliversTicksInOrder();
    void ticksGoOnInsideANestedEventLoop();
    void alarmRingsNeverBeforeItsMoment();
    void virtualClockRingsInTimeOrderAtEachMoment();
    void operatorErrorsAreAlwaysReported();
};

void TimersTest::restartRule()
{
    VirtualClock clock;
    TimerFacility timers(clock);
    SerialControl port(std::make_unique<RecordingLine>(clock));
    Form1 form(timers, port);
    QList<qint64> ticks;
    timers.setTickHandler([&](int timer) {
        if (timer == 2)
            ticks.append(clock.nowMs().count());
    });
    clock.advanceTo(1000ms);
    QVERIFY(ticks.isEmpty()); // enabled, interval 0: no tick
    form.Timer2.setInterval(300);
    clock.advanceTo(1500ms);
    QCOMPARE(ticks, (QList<qint64>{1300}));
    form.Timer2.setInterval(300); // the same interval written again starts the count afresh
    clock.advanceTo(1700ms);
    QCOMPARE(ticks, (QList<qint64>{1300}));
    form.Timer2.setEnabled(true); // already enabled: no restart
    clock.advanceTo(1800ms);
    QCOMPARE(ticks, (QList<qint64>{1300, 1800}));
    form.Timer2.setEnabled(false); // stops at once
    clock.advanceTo(3000ms);
    QCOMPARE(ticks.size(), 2);
    form.Timer2.setEnabled(true); // enabling starts the count afresh
    clock.advanceTo(3300ms);
    QCOMPARE(ticks, (QList<qint64>{1300, 1800, 3300}));
    form.Timer2.setInterval(0);
    clock.advanceTo(9000ms);
    QCOMPARE(ticks.size(), 3);
}

void TimersTest::negativeIntervalIsRefused()
{
    VirtualClock clock;
    TimerFacility timers(clock);
    SerialControl port(std::make_unique<RecordingLine>(clock));
    Form1 form(timers, port);
    form.Timer3.setInterval(10);
    try {
        form.Timer3.setInterval(-5);
        QFAIL("no error raised");
    } catch (const SimulatorError& error) {
        QCOMPARE(error.kind(), ErrorKind::TimerRefused);
        QCOMPARE(error.message(), QStringLiteral("Timer3 cannot run with an interval of -5 ms "
                                                 "(timer interval refused)"));
    }
    QCOMPARE(form.Timer3.interval(), 10);
}

// Steps (negative here) go before the ticks due with them, in the order they were added.
void TimersTest::ticksDueTogetherGoInTimerOrder()
{
    VirtualClock clock;
    TimerFacility timers(clock);
    QList<int> order;
    timers.setTickHandler([&](int timer) { order.append(timer); });
    timers.restart(6, 100ms);
    timers.restart(4, 100ms);
    timers.restart(1, 50ms);
    timers.at(100ms, [&] { order.append(-1); });
    timers.at(50ms, [&] { order.append(-2); });
    timers.at(100ms, [&] { order.append(-3); });
    clock.advanceTo(100ms);
    QCOMPARE(order, (QList<int>{-2, 1, -1, -3, 1, 4, 6}));

    // What a step handled 30 ms late restarts counts from the step's due time, as a tick's does.
    TimerSchedule schedule;
    schedule.at(1000ms, [&] { schedule.restart(2, 500ms, 1030ms); });
    schedule.deliverDue(1030ms, [] { return 1030ms; });
    QCOMPARE(schedule.nextDue(), std::optional<Ms>(1500ms));
}

void TimersTest::restartDuringATickCountsFromItsDueTime_data()
{
    QTest::addColumn<qint32>("interval"); // written by the tick due at 1000
    QTest::addColumn<qint64>("handledAt");
    QTest::addColumn<qint64>("nextDue");
    QTest::newRow("on time") << 500 << qint64(1000) << qint64(1500);
    QTest::newRow("3 ms late") << 500 << qint64(1003) << qint64(1500);
    QTest::newRow("page gap, 40 ms late: due at once") << 10 << qint64(1040) << qint64(1010);
    QTest::newRow("page gap, 100 ms late") << 10 << qint64(1100) << qint64(1010);
    QTest::newRow("page gap, 101 ms late: a stall") << 10 << qint64(1101) << qint64(1111);
    QTest::newRow("400 ms late, within the interval") << 500 << qint64(1400) << qint64(1500);
    QTest::newRow("800 ms late: a stall") << 500 << qint64(1800) << qint64(2300);
}

// The due time of the next tick is what a run's record shows: latency must not move it.
void TimersTest::restartDuringATickCountsFromItsDueTime()
{
    QFETCH(qint32, interval);
    QFETCH(qint64, handledAt);
    QFETCH(qint64, nextDue);
    TimerSchedule schedule;
    Ms now(handledAt);
    QList<qint64> dueTimes;
    schedule.setTickHandler([&](int timer) {
        dueTimes.append(schedule.dispatchDue().value_or(Ms(-1)).count());
        if (dueTimes.size() == 1)
            schedule.restart(timer, Ms(interval), now); // as a transmitter rewrites its interval
        else
            schedule.stop(timer);
    });
    schedule.restart(4, 1000ms, 0ms);
    schedule.deliverDue(now, [&] { return now; }); // with the next tick, if due by now
    if (dueTimes.size() == 1 && schedule.nextDue()) {
        now = *schedule.nextDue();
        schedule.deliverDue(now, [&] { return now; });
    }
    QCOMPARE(dueTimes, (QList<qint64>{1000, nextDue}));
}

void TimersTest::aStallBringsNoBurstOfTicks()
{
    TimerSchedule schedule;
    int ticks = 0;
    Ms now = 0ms;
    schedule.setTickHandler([&](int) { ++ticks; });
    schedule.restart(2, 500ms, 0ms);
    now = 2600ms; // the machine stalled for four intervals
    schedule.deliverDue(now, [&] { return now; });
    QCOMPARE(ticks, 1);
    QCOMPARE(schedule.nextDue(), std::optional<Ms>(3100ms));

    // A restart made by a tick handled that late counts from the moment it is handled.
    TimerSchedule restarting;
    restarting.setTickHandler([&](int timer) { restarting.restart(timer, 500ms, now); });
    restarting.restart(4, 500ms, 0ms);
    now = 1800ms;
    restarting.deliverDue(now, [&] { return now; });
    QCOMPARE(restarting.nextDue(), std::optional<Ms>(2300ms));
}

void TimersTest::eventLoopDeliversTicksInOrder()
{
    MonotonicClock clock;
    TimerFacility facility(clock);
    QList<int> order;
    facility.setTickHandler([&](int timer) {
        order.append(timer);
        if (timer == 4 && order.count(4) == 3)
            facility.stop(4);
    });
    facility.restart(4, 5ms);
    facility.restart(2, 40ms);
    QTRY_VERIFY_WITH_TIMEOUT(order.contains(2), patienceMs);
    facility.stop(2);
    QCOMPARE(order, (QList<int>{4, 4, 4, 2}));
}

void TimersTest::ticksGoOnInsideANestedEventLoop()
{
    MonotonicClock clock;
    TimerFacility facility(clock);
    int switches = 0;
    bool boxOpen = false;
    int switchesWhileOpen = 0;
    facility.setTickHandler([&](int timer) {
        if (timer == 2) {
            ++switches;
            switchesWhileOpen += boxOpen ? 1 : 0;
            return;
        }
        facility.stop(1);
        boxOpen = true; // as a modal message box does
        QEventLoop box;
        QTimer::singleShot(5000, &box, &QEventLoop::quit);
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &box, [&] {
            if (switches >= 3)
                box.quit();
        });
        poll.start(1);
        box.exec();
        boxOpen = false;
    });
    facility.restart(1, 1ms);
    facility.restart(2, 10ms);
    QTRY_VERIFY_WITH_TIMEOUT(!boxOpen && switches >= 3, patienceMs);
    facility.stop(2);
    QVERIFY(switchesWhileOpen >= 3);
}

void TimersTest::alarmRingsNeverBeforeItsMoment()
{
    MonotonicClock clock;
    QList<std::chrono::nanoseconds> rangAt;
    const std::unique_ptr<Alarm> alarm = clock.makeAlarm([&] { rangAt.append(clock.now()); });
    const std::chrono::nanoseconds moment = clock.now() + 20ms;
    alarm->set(moment);
    QTRY_COMPARE_WITH_TIMEOUT(rangAt.size(), 1, patienceMs);
    QVERIFY(rangAt[0] >= moment);

    alarm->set(clock.now() - 1ms); // a moment already past rings at once
    QTRY_COMPARE_WITH_TIMEOUT(rangAt.size(), 2, patienceMs);

    alarm->set(clock.now() + 30ms);
    alarm->set(clock.now() + 60ms); // a new setting replaces the last
    const std::chrono::nanoseconds replaced = clock.now() + 59ms;
    QTRY_COMPARE_WITH_TIMEOUT(rangAt.size(), 3, patienceMs);
    QVERIFY(rangAt[2] >= replaced);

    alarm->set(clock.now() + 10ms);
    alarm->cancel();
    QTest::qWait(50);
    QCOMPARE(rangAt.size(), 3);

    // The clock's alarms share one of the system's: each rings at its own moment, in time order,
    // and one that sets itself again for a moment past rings again on the next turn of the event
    // loop, not within the same ring (which would never end).
    bool laterRang = false;
    const std::unique_ptr<Alarm> later = clock.makeAlarm([&] { laterRang = true; });
    qint64 eagerRings = 0;
    std::unique_ptr<Alarm> eager;
    eager = clock.makeAlarm([&] {
        if (!laterRang && ++eagerRings < 1'000'000)
            eager->set(0ns); // long past
    });
    later->set(clock.now() + 30ms);
    eager->set(clock.now() + 10ms);
    QTRY_VERIFY_WITH_TIMEOUT(laterRang, patienceMs);
    QVERIFY2(eagerRings > 0 && eagerRings < 1'000'000, qPrintable(QString::number(eagerRings)));
}

void TimersTest::virtualClockRingsInTimeOrderAtEachMoment()
{
    VirtualClock clock;
    QStringList rings;
    std::unique_ptr<Alarm> b;
    const auto note = [&](const char* name) {
        rings.append(QStringLiteral("%1@%2").arg(QLatin1String(name)).arg(clock.now().count()));
    };
    const std::unique_ptr<Alarm> a = clock.makeAlarm([&] {
        note("a");
        b->set(clock.now()); // set for the moment itself: rings in this advance, after a
    });
    b = clock.makeAlarm([&] { note("b"); });
    const std::unique_ptr<Alarm> c = clock.makeAlarm([&] { note("c"); });
    const std::unique_ptr<Alarm> d = clock.makeAlarm([&] { note("d"); });
    c->set(300ns);
    a->set(300ns); // due with c, set after it: rings after it
    d->set(1000ns);
    d->cancel();
    clock.advanceTo(299ns);
    QVERIFY(rings.isEmpty());
    clock.advanceTo(2us);
    QCOMPARE(rings, QStringList({"c@300", "a@300", "b@300"}));
    QCOMPARE(clock.now(), 2000ns);
    c->set(5ns); // a moment already past rings at the next advance, at the clock's moment
    clock.advanceBy(0ns);
    QCOMPARE(rings.last(), QStringLiteral("c@2000"));
    clock.advanceTo(1us); // time never goes back
    QCOMPARE(clock.now(), 2000ns);
}

void TimersTest::operatorErrorsAreAlwaysReported()
{
    RecordingReporter reporter;
    Dispatcher dispatcher(reporter);
    const auto fail = [] { throw SimulatorError(ErrorKind::Overflow, QStringLiteral("too big")); };
    QVERIFY(!dispatcher.run(QStringLiteral("Start"), fail));
    QVERIFY(!dispatcher.run(QStringLiteral("Start"), fail));
    QVERIFY(!dispatcher.runTick(4, QStringLiteral("Tick"), fail));
    QVERIFY(!dispatcher.runTick(4, QStringLiteral("Tick"), fail));
    QVERIFY(!dispatcher.runTick(5, QStringLiteral("Tick"), fail)); // another timer's own
    QCOMPARE(reporter.reports,
             QStringList({"Start: too big (overflow)", "Start: too big (overflow)",
                          "Tick: too big (overflow)", "Tick: too big (overflow)"}));
    QVERIFY(dispatcher.run(QStringLiteral("Stop"), [] {}));
}

QTEST_GUILESS_MAIN(TimersTest)
#include "tst_timers.moc"
