#include "tests/ui/ModalBoxWatcher.h"
#include "tests/ui/WindowRig.h"

#include "platform/MonotonicClock.h"
#include "tests/support/Patience.h"
#include "tests/support/RecordingLine.h"
#include "ui/MessageBoxErrorReporter.h"

#include <QAbstractButton>
#include <QApplication>

namespace
{
struct SeenBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QList<QMessageBox::StandardButton> buttons;
    bool okIsDefault = false;
    int messageBoxes = 0;
};

SeenBox describe(QMessageBox* box)
{
    SeenBox seen{box->windowTitle(), box->text(), box->icon(), {}, false, 0};
    for (QAbstractButton* button : box->buttons())
        seen.buttons.append(box->standardButton(button));
    seen.okIsDefault = box->defaultButton() == box->button(QMessageBox::Ok);
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (qobject_cast<QMessageBox*>(widget) && widget->isVisible())
            ++seen.messageBoxes;
    return seen;
}
} // namespace

class MessageBoxesTest : public QObject
{
    Q_OBJECT

private slots:
    void refusalBoxHasTitleTextAndOkOnly();
    void errorBoxOneAtATime();
    void ticksGoOnWhileABoxIsOpen();
};

void MessageBoxesTest::refusalBoxHasTitleTextAndOkOnly()
{
    WindowRig rig;
    rig.create(false);
    QVERIFY(rig.showActive());
    rig.typeInto(1, QStringLiteral("201"));

    SeenBox seen;
    ModalBoxWatcher watcher([&](QMessageBox* box) {
        seen = describe(box);
        return true;
    });
    QTest::keyClick(rig.field(1), Qt::Key_Tab);

    QCOMPARE(watcher.boxesSeen(), 1);
    QCOMPARE(seen.title, QStringLiteral("Invalid Data Points"));
    QCOMPARE(seen.text, QStringLiteral("Please insert a number >=10  or  <200."));
    QCOMPARE(seen.icon, QMessageBox::NoIcon);
    QCOMPARE(seen.buttons, QList<QMessageBox::StandardButton>{QMessageBox::Ok});
    QVERIFY(seen.okIsDefault);
    // The field keeps the window's focus for when the box has gone.
    QCOMPARE(rig.window->focusWidget(), rig.field(1));
    QCOMPARE(rig.field(1)->text(), QStringLiteral("201"));
}

void MessageBoxesTest::errorBoxOneAtATime()
{
    QWidget parent;
    RecordingReporter beneath;
    MessageBoxErrorReporter reporter(beneath, &parent);
    SeenBox first;
    SeenBox whileOpen;
    bool showingWhileOpen = false;
    ModalBoxWatcher watcher([&](QMessageBox* box) {
        first = describe(box);
        showingWhileOpen = reporter.isShowing();
        // A second error while the first is open is not stacked: it returns at once.
        reporter.error(QStringLiteral("Data transmission (Timer4)"), QStringLiteral("second"));
        whileOpen = describe(box);
        return true;
    });
    reporter.error(QStringLiteral("Start"),
                   QStringLiteral("Cannot open Com Port 9: No such device (port refused)"));

    QCOMPARE(watcher.boxesSeen(), 1);
    QVERIFY(showingWhileOpen);
    QCOMPARE(first.title, QStringLiteral("DRYX PLC Test"));
    QCOMPARE(first.text,
             QStringLiteral("Start: Cannot open Com Port 9: No such device (port refused)"));
    QCOMPARE(first.icon, QMessageBox::Warning);
    QCOMPARE(first.buttons, QList<QMessageBox::StandardButton>{QMessageBox::Ok});
    QCOMPARE(first.messageBoxes, 1);
    QCOMPARE(whileOpen.messageBoxes, 1);
    QCOMPARE(whileOpen.text, first.text);
    QVERIFY(!reporter.isShowing());

    // Once closed, the next error gets its own box.
    QString next;
    ModalBoxWatcher again([&](QMessageBox* box) {
        next = box->text();
        return true;
    });
    reporter.notice(QStringLiteral("Data transmission"), QStringLiteral("third"));
    QCOMPARE(next, QStringLiteral("Data transmission: third"));
    // Every one of them also went to the reporter beneath, the one in the box's shadow too.
    QCOMPARE(beneath.reports,
             QStringList({"Start: Cannot open Com Port 9: No such device (port refused)",
                          "Data transmission (Timer4): second", "Data transmission: third"}));
    QCOMPARE(beneath.notices, QStringList{"Data transmission: third"});
}

void MessageBoxesTest::ticksGoOnWhileABoxIsOpen()
{
    // The program's own timers on the event loop, and a port that keeps every write.
    MonotonicClock clock;
    TimerFacility timers(clock);
    auto* line = new RecordingLine(clock);
    SerialControl port{std::unique_ptr<SerialLine>(line)};
    Form1 form(timers, port);
    RecordingReporter reporter;
    Conversions rules(QLocale::c());
    MapSettingsStore store;
    Simulator simulator(form, store, timers, reporter, rules);
    RecordingLauncher launcher;
    RecordingPorts winePorts;
    OpenDryx openDryx(form, rules, launcher, winePorts, reporter);
    MainWindow window(form, simulator, openDryx);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window, patienceMs));

    QVERIFY(simulator.Command1_Click()); // one-page mode: the first data string after 1000 ms
    auto* pageGap = window.findChild<QLineEdit*>(QStringLiteral("Text2"));
    pageGap->setFocus();
    pageGap->selectAll();
    QTest::keyClicks(pageGap, QStringLiteral("0"));

    qsizetype writesWhileOpen = 0;
    ModalBoxWatcher watcher(
        [&](QMessageBox*) {
            writesWhileOpen = line->writes.size();
            return writesWhileOpen > 0;
        },
        10000);
    QTest::keyClick(pageGap, Qt::Key_Tab);

    QCOMPARE(watcher.boxesSeen(), 1);
    // 30 value lines, the alarm line and the terminator, written while the box was open.
    QVERIFY(writesWhileOpen >= 32);
    QCOMPARE(line->writes.first().bytes, QByteArray("1\r\n"));
    QVERIFY(reporter.reports.isEmpty());
}

QTEST_MAIN(MessageBoxesTest)
#include "tst_messageboxes.moc"
