#include "core/Dispatcher.h"
#include "core/EventLoopTimerFacility.h"
#include "core/PreciseAlarm.h"
#include "tests/support/SimulatorRig.h"
#include "core/TimerSchedule.h"

#include <QtTest>

// The timers' rules: when ticks come, in which order, after stalls; and how errors from
// handlers reach the operator.
class TimersTest : public QObject
{
    Q_OBJECT

private slots:
    void restartRule();
    void negativeIntervalIsRefused();
    void ticksDueTogetherGoInTimerOrder();
    void restartDuringATickCountsFromItsDueTime();
    void aStallBringsNoBurstOfTicks();
    void eventLoopDeliversTicksInOrder();
    void ticksGoOnInsideANestedEventLoop();
    void alarmRingsNeverBeforeItsMoment();
    void operatorErrorsAreAlwaysReported();
};

void TimersTest::restartRule()
{
    VirtualTimerFacility clock;
    RecordingPort port(clock);
    Form1 form(clock, port);
    QList<qint64> ticks;
    clock.setTickHandler([&](int timer) {
        if (timer == 2)
            ticks.append(clock.nowMs());
    });
    clock.advanceTo(1000);
    QVERIFY(ticks.isEmpty()); // enabled, interval 0: no tick
    form.Timer2.setInterval(300);
    clock.advanceTo(1500);
    QCOMPARE(ticks, (QList<qint64>{1300}));
    form.Timer2.setInterval(300); // the same interval written again starts the count afresh
    clock.advanceTo(1700);
    QCOMPARE(ticks, (QList<qint64>{1300}));
    form.Timer2.setEnabled(true); // already enabled: no restart
    clock.advanceTo(1800);
    QCOMPARE(ticks, (QList<qint64>{1300, 1800}));
    form.Timer2.setEnabled(false); // stops at once
    clock.advanceTo(3000);
    QCOMPARE(ticks.size(), 2);
    form.Timer2.setEnabled(true); // enabling starts the count afresh
    clock.advanceTo(3300);
    QCOMPARE(ticks, (QList<qint64>{1300, 1800, 3300}));
    form.Timer2.setInterval(0);
    clock.advanceTo(9000);
    QCOMPARE(ticks.size(), 3);
}

void TimersTest::negativeIntervalIsRefused()
{
    VirtualTimerFacility clock;
    RecordingPort port(clock);
    Form1 form(clock, port);
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

void TimersTest::ticksDueTogetherGoInTimerOrder()
{
    VirtualTimerFacility clock;
    QList<int> order;
    clock.setTickHandler([&](int timer) { order.append(timer); });
    clock.restart(6, 100);
    clock.restart(4, 100);
    clock.restart(1, 50);
    clock.advanceTo(100);
    QCOMPARE(order, (QList<int>{1, 1, 4, 6}));
}

void TimersTest::restartDuringATickCountsFromItsDueTime()
{
    TimerSchedule schedule;
    qint64 handledAt = 0;
    QList<qint64> dueTimes;
    schedule.setTickHandler([&](int timer) {
        dueTimes.append(handledAt);
        schedule.restart(timer, 500, handledAt); // as a transmitter rewrites its interval
    });
    schedule.restart(4, 1000, 0);
    handledAt = 1003; // woken 3 ms late, and the tick took time too
    schedule.deliverDue(handledAt, [&] { return handledAt; });
    QCOMPARE(schedule.nextDue(), std::optional<qint64>(1500));
    handledAt = 1500;
    schedule.deliverDue(handledAt, [&] { return handledAt; });
    QCOMPARE(schedule.nextDue(), std::optional<qint64>(2000));
}

void TimersTest::aStallBringsNoBurstOfTicks()
{
    TimerSchedule schedule;
    int ticks = 0;
    qint64 now = 0;
    schedule.setTickHandler([&](int) { ++ticks; });
    schedule.restart(2, 500, 0);
    now = 2600; // the machine stalled for four intervals
    schedule.deliverDue(now, [&] { return now; });
    QCOMPARE(ticks, 1);
    QCOMPARE(schedule.nextDue(), std::optional<qint64>(3100));

    // A restart made by a tick handled that late counts from the moment it is handled.
    TimerSchedule restarting;
    restarting.setTickHandler([&](int timer) { restarting.restart(timer, 500, now); });
    restarting.restart(4, 500, 0);
    now = 1800;
    restarting.deliverDue(now, [&] { return now; });
    QCOMPARE(restarting.nextDue(), std::optional<qint64>(2300));
}

void TimersTest::eventLoopDeliversTicksInOrder()
{
    EventLoopTimerFacility facility;
    QList<int> order;
    facility.setTickHandler([&](int timer) {
        order.append(timer);
        if (timer == 4 && order.count(4) == 3)
            facility.stop(4);
    });
    facility.restart(4, 5);
    facility.restart(2, 40);
    QTRY_VERIFY_WITH_TIMEOUT(order.contains(2), 5000);
    facility.stop(2);
    QCOMPARE(order, (QList<int>{4, 4, 4, 2}));
}

void TimersTest::ticksGoOnInsideANestedEventLoop()
{
    EventLoopTimerFacility facility;
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
    facility.restart(1, 1);
    facility.restart(2, 10);
    QTRY_VERIFY_WITH_TIMEOUT(!boxOpen && switches >= 3, 6000);
    facility.stop(2);
    QVERIFY(switchesWhileOpen >= 3);
}

void TimersTest::alarmRingsNeverBeforeItsMoment()
{
    PreciseAlarm alarm;
    QList<qint64> rangAt;
    connect(&alarm, &PreciseAlarm::rang, this, [&] { rangAt.append(alarm.nowNs()); });
    const qint64 moment = alarm.nowNs() + 20000000;
    alarm.set(moment);
    QTRY_COMPARE_WITH_TIMEOUT(rangAt.size(), 1, 5000);
    QVERIFY(rangAt[0] >= moment);

    alarm.set(alarm.nowNs() - 1000000); // a moment already past rings at once
    QTRY_COMPARE_WITH_TIMEOUT(rangAt.size(), 2, 5000);

    alarm.set(alarm.nowNs() + 30000000);
    alarm.set(alarm.nowNs() + 60000000); // a new setting replaces the last
    const qint64 replaced = alarm.nowNs() + 59000000;
    QTRY_COMPARE_WITH_TIMEOUT(rangAt.size(), 3, 5000);
    QVERIFY(rangAt[2] >= replaced);

    alarm.set(alarm.nowNs() + 10000000);
    alarm.cancel();
    QTest::qWait(50);
    QCOMPARE(rangAt.size(), 3);
}

void TimersTest::operatorErrorsAreAlwaysReported()
{
    RecordingReporter reporter;
    Dispatcher dispatcher(reporter, nullptr);
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
