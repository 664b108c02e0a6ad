#include "tests/ui/WindowRig.h"
#include "ui/Look.h"

#include "tests/support/Patience.h"
#include "ui/LampWidget.h"
#include "ui/PictureButton.h"

#include <QApplication>
#include <QFontDatabase>
#include <QLabel>
#include <QSignalSpy>

namespace
{
const QColor windowColour(255, 224, 192);
const QColor panelColour(64, 64, 64);
const QColor red(255, 0, 0);
const QColor green(0, 255, 0);
const QColor black(0, 0, 0);
const QColor darkGreen(0, 64, 0);
const QColor lightGrey(224, 224, 224);

const QString launchPath = QStringLiteral("c:\\program files\\dryx\\dryx.exe");
} // namespace

class MainWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void windowFrame();
    void geometry_data();
    void geometry();
    void creationTexts();
    void captions();
    void fonts();
    void lampsAtCreation();
    void panelAndLeaderLines();
    void alarmsAfterStartup_data();
    void alarmsAfterStartup();
    void startAndStopRecolourLampsOnScreen();
    void alarmButtonRecoloursItsLamp();
    void coreWritesShowAtOnce();
    void typingGoesIntoTheFormAsTyped();
    void longEntryTakenInFull();
    void firstFocusAndTabOrder();
    void backtabFromFirstFieldReachesClose();
    void enterAndSpacePressTheFocusedButton_data();
    void enterAndSpacePressTheFocusedButton();
    void theFocusShowsFromTheFirstMoment();
    void text5ShowsItsCreationTextWhole();
    void refusedByTab_data();
    void refusedByTab();
    void refusedByBacktab();
    void acceptedEntryMovesOnSilently_data();
    void acceptedEntryMovesOnSilently();
    void refusedByClickOnAnotherField();
    void refusedByClickOnStart();
    void refusedByClickOnClose();
    void refusedByClickOnAlarmButton();
    void refusedByClickOnPicture();
    void refusedByClickHandedToTheControl_data();
    void refusedByClickHandedToTheControl();
    void acceptedClickHandedToTheControlActs();
    void clickInsideTheFieldRunsNoCheck();
    void leavingForAnotherWindowRunsNoCheck();
    void clicksOnDecorationRunNoCheck();
    void correctedEntryLeavesByClick();
    void buttonsActWhenNoFieldHoldsTheFocus();
    void twoClicksOnPictureStartTwoPrograms();
    void missingProgramIsReported();
    void closeEndsTheProgram();
    void closingTheWindowEndsItEvenWithRefusedEntry();

private:
    std::unique_ptr<WindowRig> rig;
};

void MainWindowTest::init()
{
    rig = std::make_unique<WindowRig>();
    rig->sim.setSetup(QStringLiteral("10"), QStringLiteral("5"), QStringLiteral("3"),
                      QStringLiteral("1"));
}

void MainWindowTest::cleanup()
{
    rig.reset();
}

void MainWindowTest::windowFrame()
{
    rig->create();
    MainWindow& window = *rig->window;
    QCOMPARE(window.windowTitle(), QStringLiteral("DRYX PLC Test"));
    QCOMPARE(window.size(), QSize(409, 326));
    QCOMPARE(window.minimumSize(), QSize(409, 326));
    QCOMPARE(window.maximumSize(), QSize(409, 326));
    QCOMPARE(window.palette().color(QPalette::Window), windowColour);
    QVERIFY(window.autoFillBackground());
    QVERIFY(!window.windowIcon().isNull());
    QCOMPARE(window.windowIcon().availableSizes().value(0), QSize(32, 32));
    QCOMPARE(rig->control<PictureButton>(QStringLiteral("Picture4"))->toolTip(),
             QStringLiteral("Open DRYX"));
}

void MainWindowTest::geometry_data()
{
    QTest::addColumn<QRect>("expected");
    // Twips from the layout, 15 to a pixel, rounded to the nearest pixel.
    QTest::newRow("Label2") << QRect(38, 9, 346, 36);        // 570 135 5190 540
    QTest::newRow("Command1") << QRect(9, 64, 58, 24);       // 135 960 870 360
    QTest::newRow("Command3") << QRect(9, 96, 58, 24);       // 135 1440 870 360
    QTest::newRow("Shape5") << QRect(71, 71, 11, 10);        // 1065 1065 165 150
    QTest::newRow("Shape1") << QRect(71, 102, 10, 13);       // 1065 1530 150 195
    QTest::newRow("Picture4") << QRect(26, 146, 30, 31);     // 396 2184 456 468
    QTest::newRow("Command2") << QRect(10, 196, 56, 23);     // 150 2940 840 345
    QTest::newRow("Text5") << QRect(26, 237, 22, 19);        // 390 3555 336 285
    QTest::newRow("Shape2") << QRect(91, 57, 235, 211);      // 1368 852 3528 3168
    QTest::newRow("Label1(5)") << QRect(106, 66, 47, 17);    // 1590 990 705 255
    QTest::newRow("Text7") << QRect(270, 66, 28, 14);        // 4056 990 420 210
    QTest::newRow("Label1(3)") << QRect(106, 92, 126, 17);   // 1596 1380 1896 252
    QTest::newRow("Text4") << QRect(270, 92, 28, 14);        // 4056 1380 420 210
    QTest::newRow("Label1(0)") << QRect(106, 119, 147, 17);  // 1590 1785 2205 255
    QTest::newRow("Text1") << QRect(270, 120, 28, 14);       // 4056 1800 420 210
    QTest::newRow("Label1(4)") << QRect(106, 145, 88, 17);   // 1590 2175 1320 255
    QTest::newRow("Text6") << QRect(270, 146, 28, 14);       // 4056 2190 420 210
    QTest::newRow("Label1(6)") << QRect(106, 171, 78, 17);   // 1590 2565 1170 255
    QTest::newRow("Text8") << QRect(252, 173, 46, 14);       // 3780 2595 696 210
    QTest::newRow("Label1(1)") << QRect(106, 214, 68, 17);   // 1590 3210 1020 255
    QTest::newRow("Text2") << QRect(270, 215, 29, 14);       // 4056 3225 435 210
    QTest::newRow("Label1(2)") << QRect(102, 240, 103, 17);  // 1530 3600 1545 255
    QTest::newRow("Text3") << QRect(269, 241, 30, 14);       // 4032 3615 450 210
    QTest::newRow("Command4(1)") << QRect(334, 75, 38, 16);  // 5010 1125 570 240
    QTest::newRow("Command4(2)") << QRect(334, 107, 38, 16); // 5010 1605 570 240
    QTest::newRow("Command4(3)") << QRect(334, 136, 38, 16); // 5010 2040 570 240
    QTest::newRow("Command4(4)") << QRect(334, 165, 38, 16); // 5010 2475 570 240
    QTest::newRow("Shape3(1)") << QRect(378, 77, 10, 13);    // 5670 1155 150 195
    QTest::newRow("Shape3(2)") << QRect(378, 109, 10, 13);   // 5670 1635 150 195
    QTest::newRow("Shape3(3)") << QRect(378, 139, 10, 13);   // 5670 2085 150 195
    QTest::newRow("Shape3(4)") << QRect(378, 167, 10, 13);   // 5670 2505 150 195
    QTest::newRow("Label3") << QRect(145, 280, 121, 14);     // 2175 4200 1815 210
    QTest::newRow("Label4") << QRect(137, 294, 129, 16);     // 2055 4410 1935 240
}

void MainWindowTest::geometry()
{
    QFETCH(QRect, expected);
    rig->create();
    QWidget* control = rig->control(QLatin1String(QTest::currentDataTag()));
    QVERIFY(control);
    QCOMPARE(control->parentWidget(), rig->window.get());
    QCOMPARE(control->geometry(), expected);
}

void MainWindowTest::creationTexts()
{
    // A window made without the load step shows the texts it was created with.
    rig->create();
    const QStringList expected{QStringLiteral("30"), QStringLiteral("10"),    QStringLiteral("500"),
                               QStringLiteral("1"),  QStringLiteral("Text5"), QStringLiteral("1"),
                               QStringLiteral("1"),  QStringLiteral("63536")};
    for (int number = 1; number <= 8; ++number)
        QCOMPARE(rig->field(number)->text(), expected[number - 1]);
    for (int index = 1; index <= 4; ++index) {
        QVERIFY(rig->control(QStringLiteral("Command4(%1)").arg(index))->isHidden());
        QVERIFY(rig->control(QStringLiteral("Shape3(%1)").arg(index))->isHidden());
        QCOMPARE(rig->control<QPushButton>(QStringLiteral("Command4(%1)").arg(index))->text(),
                 QStringLiteral("A%1").arg(index));
    }
    QCOMPARE(rig->control<QPushButton>(QStringLiteral("Command1"))->text(),
             QStringLiteral("Start"));
    QCOMPARE(rig->control<QPushButton>(QStringLiteral("Command3"))->text(), QStringLiteral("Stop"));
    QCOMPARE(rig->control<QPushButton>(QStringLiteral("Command2"))->text(),
             QStringLiteral("Close"));
    QCOMPARE(rig->control<QLabel>(QStringLiteral("Label2"))->text(),
             QStringLiteral("DRYX Tamblo V1.1"));
    QVERIFY(!rig->control<QLabel>(QStringLiteral("Label3"))->text().isEmpty());
    QVERIFY(!rig->control<QLabel>(QStringLiteral("Label4"))->text().isEmpty());
    // The web address is plain text, not a link.
    QCOMPARE(rig->control<QLabel>(QStringLiteral("Label4"))->textFormat(), Qt::PlainText);
    QVERIFY(!rig->control<QLabel>(QStringLiteral("Label4"))->openExternalLinks());

    // Text5 is a display: it never takes the focus and cannot be edited.
    QVERIFY(rig->field(5)->isReadOnly());
    QCOMPARE(rig->field(5)->focusPolicy(), Qt::NoFocus);
    for (const char* button : {"Command1", "Command2", "Command3", "Command4(1)"}) {
        auto* push = rig->control<QPushButton>(QLatin1String(button));
        QVERIFY(!push->isDefault());
        QVERIFY(!push->autoDefault());
    }
}

void MainWindowTest::captions()
{
    rig->create();
    const QStringList expected{QStringLiteral("Number of Data Points/Page"),
                               QStringLiteral("Page Gap mS"),
                               QStringLiteral("Data String Gap mS"),
                               QStringLiteral("Number of Data Pages"),
                               QStringLiteral("Number of Alarms"),
                               QStringLiteral("Com Port"),
                               QStringLiteral("Data Terminator")};
    for (int index = 0; index <= 6; ++index) {
        auto* label = rig->control<QLabel>(QStringLiteral("Label1(%1)").arg(index));
        QVERIFY(label);
        QCOMPARE(label->text(), expected[index]);
        QCOMPARE(label->palette().color(QPalette::Window), panelColour);
        QCOMPARE(label->palette().color(QPalette::WindowText),
                 QApplication::palette().color(QPalette::HighlightedText));
        QVERIFY(label->autoFillBackground());
    }
}

void MainWindowTest::fonts()
{
    rig->create();
    const QFont banner = rig->control(QStringLiteral("Label2"))->font();
    QCOMPARE(banner.pointSizeF(), 18.0);
    QCOMPARE(banner.weight(), QFont::Black);
    QCOMPARE(banner.families().value(0), QStringLiteral("Arial Black"));
    // A face of weight 900 was found (where the platform has fonts: offscreen on Windows has
    // none, the window under Wine is looked at by make windows-test).
    if (!QFontDatabase::families().isEmpty())
        QCOMPARE(QFontInfo(banner).weight(), int(QFont::Black));

    const QFont field = rig->field(1)->font();
    QCOMPARE(field.pointSizeF(), 8.25);
    QCOMPARE(field.weight(), QFont::Normal);
    QCOMPARE(field.families().value(0), QStringLiteral("MS Sans Serif"));

    const QFont credit = rig->control(QStringLiteral("Label3"))->font();
    QCOMPARE(credit.pointSizeF(), 8.25);
    QCOMPARE(credit.weight(), QFont::Bold);
}

void MainWindowTest::lampsAtCreation()
{
    rig->create();
    auto* running = rig->control<LampWidget>(QStringLiteral("Shape5"));
    auto* stopped = rig->control<LampWidget>(QStringLiteral("Shape1"));
    QCOMPARE(running->fillColour(), darkGreen);
    QCOMPARE(running->borderColour(), lightGrey);
    QCOMPARE(stopped->fillColour(), red);
    QCOMPARE(stopped->borderColour(), black);
    for (int index = 1; index <= 4; ++index) {
        auto* lamp = rig->control<LampWidget>(QStringLiteral("Shape3(%1)").arg(index));
        QCOMPARE(lamp->fillColour(), green);
        QCOMPARE(lamp->borderColour(), black);
        // A circle 150 twips across, centred in its 150 x 195 box.
        QCOMPARE(lamp->circle(), QRectF(0, 1.5, 10, 10));
    }
    QCOMPARE(running->circle(), QRectF(0.5, 0, 10, 10));
}

void MainWindowTest::panelAndLeaderLines()
{
    rig->create();
    QWidget* panel = rig->control(QStringLiteral("Shape2"));
    const QImage image = panel->grab().toImage();
    const QPoint origin = panel->pos();
    // Inside the border: the panel colour; the border itself: two pixels of another colour.
    QCOMPARE(image.pixelColor(QPoint(120, 100)), panelColour);
    QVERIFY(image.pixelColor(QPoint(0, 100)) != panelColour);
    QVERIFY(image.pixelColor(QPoint(1, 100)) != panelColour);
    QCOMPARE(image.pixelColor(QPoint(2, 100)), panelColour);
    // Line1, Com Port: 2544..3909 twips at 1092 twips, i.e. x 170..261 at y 73.
    const QColor line = image.pixelColor(QPoint(200, 73) - origin);
    QVERIFY2(line != panelColour, "the Com Port leader line is not drawn");
    QCOMPARE(image.pixelColor(QPoint(200, 74) - origin), panelColour);
    // Line7, Data String Gap mS: 3276..3891 twips at 3708 twips, i.e. x 218..259 at y 247.
    QCOMPARE(image.pixelColor(QPoint(240, 247) - origin), line);
    // The row of "Number of Data Points/Page" has none: at y 127 (1908 twips) nothing is drawn.
    QCOMPARE(image.pixelColor(QPoint(260, 127) - origin), panelColour);
}

void MainWindowTest::alarmsAfterStartup_data()
{
    QTest::addColumn<QString>("relays");
    QTest::addColumn<int>("shown");
    QTest::newRow("no alarm") << QStringLiteral("0") << 0;
    QTest::newRow("one alarm") << QStringLiteral("1") << 1;
    QTest::newRow("four alarms") << QStringLiteral("4") << 4;
    QTest::newRow("five alarms") << QStringLiteral("5") << 4;
}

void MainWindowTest::alarmsAfterStartup()
{
    QFETCH(QString, relays);
    QFETCH(int, shown);
    rig->sim.setSetup(QStringLiteral("10"), QStringLiteral("5"), QStringLiteral("3"), relays);
    rig->create();
    QVERIFY(rig->sim.simulator.Form_Load());
    for (int index = 1; index <= 4; ++index) {
        const bool expected = index <= shown;
        QCOMPARE(!rig->control(QStringLiteral("Command4(%1)").arg(index))->isHidden(), expected);
        QCOMPARE(!rig->control(QStringLiteral("Shape3(%1)").arg(index))->isHidden(), expected);
    }
    QCOMPARE(rig->field(6)->text(), relays);
    QCOMPARE(rig->field(1)->text(), QStringLiteral("33"));
    QCOMPARE(rig->field(4)->text(), QStringLiteral("1"));
    QCOMPARE(rig->field(5)->text(), QStringLiteral("0"));
    QCOMPARE(rig->field(8)->text(), QStringLiteral("63536"));
}

void MainWindowTest::startAndStopRecolourLampsOnScreen()
{
    rig->create();
    QVERIFY(rig->sim.simulator.Form_Load());
    QVERIFY(rig->showActive());
    auto* running = rig->control(QStringLiteral("Shape5"));
    auto* stopped = rig->control(QStringLiteral("Shape1"));
    const QPoint centre(5, 5);
    const QPoint stoppedCentre(5, 6);
    QCOMPARE(rig->pixelAt(running, centre), darkGreen);
    QCOMPARE(rig->pixelAt(stopped, stoppedCentre), red);
    // The running lamp's border (smoothed at the edge): light grey before the first Start.
    QVERIFY(rig->pixelAt(running, QPoint(5, 0)).lightness() > 150);

    rig->click(rig->control(QStringLiteral("Command1")));
    QCOMPARE(rig->sim.line.opened, QList<qint16>{1});
    QCOMPARE(rig->pixelAt(running, centre), QColor(51, 255, 102));
    QVERIFY(rig->pixelAt(running, QPoint(5, 0)).lightness() < 80); // black after Start
    QCOMPARE(rig->pixelAt(stopped, stoppedCentre), QColor(100, 0, 0));

    rig->click(rig->control(QStringLiteral("Command3")));
    QCOMPARE(rig->sim.line.closes, 1);
    QCOMPARE(rig->pixelAt(running, centre), QColor(0, 80, 0));
    QCOMPARE(rig->pixelAt(stopped, stoppedCentre), red);
}

void MainWindowTest::alarmButtonRecoloursItsLamp()
{
    rig->sim.setSetup(QStringLiteral("1"), QStringLiteral("0"), QStringLiteral("0"),
                      QStringLiteral("3"));
    rig->create();
    QVERIFY(rig->sim.simulator.Form_Load());
    QVERIFY(rig->showActive());
    auto* lamp2 = rig->control(QStringLiteral("Shape3(2)"));
    rig->click(rig->control(QStringLiteral("Command4(2)")));
    QCOMPARE(rig->sim.form.AlarmState(2), qint16(1));
    QCOMPARE(rig->pixelAt(lamp2, QPoint(5, 6)), red);
    QCOMPARE(rig->pixelAt(rig->control(QStringLiteral("Shape3(1)")), QPoint(5, 6)), green);
    rig->click(rig->control(QStringLiteral("Command4(2)")));
    QCOMPARE(rig->sim.form.AlarmState(2), qint16(0));
    QCOMPARE(rig->pixelAt(lamp2, QPoint(5, 6)), green);
}

void MainWindowTest::coreWritesShowAtOnce()
{
    rig->create();
    rig->sim.form.Text5.setText(QStringLiteral("7"));
    QCOMPARE(rig->field(5)->text(), QStringLiteral("7"));
    rig->sim.form.Text1.setText(QStringLiteral("120"));
    QCOMPARE(rig->field(1)->text(), QStringLiteral("120"));
    rig->sim.form.Command4(3).setVisible(true);
    QVERIFY(!rig->control(QStringLiteral("Command4(3)"))->isHidden());
    rig->sim.form.Shape3(3).setVisible(true);
    rig->sim.form.Shape3(3).setFillColor(rgb(255, 0, 0));
    QVERIFY(!rig->control(QStringLiteral("Shape3(3)"))->isHidden());
    QCOMPARE(rig->control<LampWidget>(QStringLiteral("Shape3(3)"))->fillColour(), red);
    rig->sim.form.Shape5.setBorderColor(rgb(0, 0, 0));
    QCOMPARE(rig->control<LampWidget>(QStringLiteral("Shape5"))->borderColour(), black);
}

void MainWindowTest::typingGoesIntoTheFormAsTyped()
{
    rig->create();
    QVERIFY(rig->showActive());
    QLineEdit* comPort = rig->field(7);
    comPort->setFocus();
    comPort->end(false);
    QTest::keyClicks(comPort, QStringLiteral("2x "));
    // Unfiltered and unchecked until the focus leaves: the core reads exactly this.
    QCOMPARE(rig->sim.form.Text7.text(), QStringLiteral("12x "));
    QTest::keyClick(comPort, Qt::Key_Backspace);
    QCOMPARE(rig->sim.form.Text7.text(), QStringLiteral("12x"));
    QVERIFY(rig->refusals.isEmpty());
}

void MainWindowTest::longEntryTakenInFull()
{
    rig->create();
    const QString entry(40000, QLatin1Char('9'));
    rig->field(8)->setFocus();
    rig->field(8)->selectAll();
    rig->field(8)->insert(entry);
    QCOMPARE(rig->sim.form.Text8.text(), entry);
}

void MainWindowTest::firstFocusAndTabOrder()
{
    rig->create();
    QVERIFY(rig->sim.simulator.Form_Load()); // one alarm: "A1" shown
    QVERIFY(rig->showActive());
    QCOMPARE(QApplication::focusWidget(), rig->control(QStringLiteral("Command2")));
    const QStringList order{
        QStringLiteral("Text1"),       QStringLiteral("Text2"),    QStringLiteral("Text3"),
        QStringLiteral("Text4"),       QStringLiteral("Text6"),    QStringLiteral("Text7"),
        QStringLiteral("Text8"),       QStringLiteral("Command1"), QStringLiteral("Command3"),
        QStringLiteral("Command4(1)"), QStringLiteral("Command2")};
    for (const QString& next : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), next);
    }
    QVERIFY(rig->refusals.isEmpty());
}

void MainWindowTest::backtabFromFirstFieldReachesClose()
{
    rig->create();
    QVERIFY(rig->showActive());
    rig->field(1)->setFocus();
    QTest::keyClick(rig->field(1), Qt::Key_Tab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), rig->control(QStringLiteral("Command2")));
}

void MainWindowTest::enterAndSpacePressTheFocusedButton_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("key");
    for (const auto& [name, key] : {std::pair{"Command1", Qt::Key_Return},
                                    {"Command1", Qt::Key_Enter},
                                    {"Command1", Qt::Key_Space},
                                    {"Command4(1)", Qt::Key_Return},
                                    {"Command4(1)", Qt::Key_Space},
                                    {"Command2", Qt::Key_Return}})
        QTest::addRow("%s %s", name, key == Qt::Key_Space ? "Space" : "Enter")
            << QString::fromLatin1(name) << int(key);
}

void MainWindowTest::enterAndSpacePressTheFocusedButton()
{
    QFETCH(QString, button);
    QFETCH(int, key);
    rig->create();
    QVERIFY(rig->sim.simulator.Form_Load());
    QVERIFY(rig->showActive());
    QWidget* control = rig->control(button);
    control->setFocus(Qt::TabFocusReason);
    QTest::keyClick(control, Qt::Key(key));
    if (button == QLatin1String("Command1"))
        QCOMPARE(rig->sim.line.opened, QList<qint16>{1});
    else if (button == QLatin1String("Command4(1)"))
        QCOMPARE(rig->sim.form.AlarmState(1), qint16(1));
    else
        QCOMPARE(rig->programEnds, 1);
    // Once, not again on the key's release or a second handling.
    QCOMPARE(rig->sim.line.opened.size() + rig->sim.form.AlarmState(1) + rig->programEnds, 1);
}

// The first focus is on "Close", and it is marked from the first moment: the button is drawn
// otherwise than without the mark.
void MainWindowTest::theFocusShowsFromTheFirstMoment()
{
    rig->create();
    QVERIFY(rig->showActive());
    QWidget* close = rig->control(QStringLiteral("Command2"));
    QCOMPARE(QApplication::focusWidget(), close);
    QVERIFY(rig->window->testAttribute(Qt::WA_KeyboardFocusChange));
    const QImage marked = close->grab().toImage();
    rig->window->setAttribute(Qt::WA_KeyboardFocusChange, false);
    const QImage unmarked = close->grab().toImage();
    QVERIFY(marked != unmarked);
}

void MainWindowTest::text5ShowsItsCreationTextWhole()
{
    rig->create(); // no start-up: Text5 keeps "Text5"
    QVERIFY(rig->showActive());
    QLineEdit* text5 = rig->field(5);
    QCOMPARE(text5->text(), QStringLiteral("Text5"));
    QVERIFY(QFontDatabase::families().isEmpty() ||
            QFontMetrics(text5->font()).horizontalAdvance(QStringLiteral("Text5")) <=
                text5->width() - 8);
    QVERIFY(text5->font().pointSizeF() < Look::defaultFont().pointSizeF());
    QVERIFY(rig->sim.simulator.Form_Load()); // "0": the window's own face again
    QCOMPARE(text5->text(), QStringLiteral("0"));
    QCOMPARE(text5->font().pointSizeF(), Look::defaultFont().pointSizeF());
}

void MainWindowTest::refusedByTab_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("message");
    const QString points = QStringLiteral("Please insert a number >=10  or  <200.");
    QTest::newRow("Text1 9.99") << 1 << "9.99"
                                << "Invalid Data Points" << points;
    QTest::newRow("Text1 201") << 1 << "201"
                               << "Invalid Data Points" << points;
    QTest::newRow("Text1 12abc") << 1 << "12abc"
                                 << "Invalid Data Points" << points;
    QTest::newRow("Text2 0.5") << 2 << "0.5"
                               << "Invalid Page Gap"
                               << "Please insert a number from 1 to 200.";
    QTest::newRow("Text3 499") << 3 << "499"
                               << "Invalid Data String Gap"
                               << "Please insert a number from 500 to 2000.";
    QTest::newRow("Text4 3") << 4 << "3"
                             << "Invalid Page Number"
                             << "Please insert a number from 1 to 2.";
    QTest::newRow("Text6 -1") << 6 << "-1"
                              << "Invalid Alarm Number"
                              << "Please insert a valid Alarm number.";
    QTest::newRow("Text7 empty") << 7 << ""
                                 << "Invalid Port Number"
                                 << "Please insert a number from 1 to 8.";
    QTest::newRow("Text8 abc") << 8 << "abc"
                               << "Invalid Data Terminator"
                               << "Please insert a Data Terminator.";
}

void MainWindowTest::refusedByTab()
{
    QFETCH(int, field);
    QFETCH(QString, entry);
    QFETCH(QString, title);
    QFETCH(QString, message);
    rig->create();
    QVERIFY(rig->showActive());
    rig->typeInto(field, entry);
    QCOMPARE(rig->sim.form.text(field).text(), entry);

    QTest::keyClick(rig->field(field), Qt::Key_Tab);
    QCOMPARE(rig->refusals, (QList<EntryRefusal>{{title, message}}));
    QCOMPARE(QApplication::focusWidget(), rig->field(field));
    QCOMPARE(rig->field(field)->text(), entry);
    QCOMPARE(rig->sim.form.text(field).text(), entry);

    // Every further try is checked again: the field cannot be left until it is put right.
    QTest::keyClick(rig->field(field), Qt::Key_Tab);
    QCOMPARE(rig->refusals.size(), 2);
    QCOMPARE(QApplication::focusWidget(), rig->field(field));
    QCOMPARE(rig->entryWatch.entries,
             QStringList(2, QStringLiteral("Text%1 %2 refused").arg(field).arg(entry)));
}

void MainWindowTest::refusedByBacktab()
{
    rig->create();
    QVERIFY(rig->showActive());
    rig->typeInto(3, QStringLiteral("2000.5"));
    QTest::keyClick(rig->field(3), Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(rig->refusals.size(), 1);
    QCOMPARE(rig->refusals[0].title, QStringLiteral("Invalid Data String Gap"));
    QCOMPARE(QApplication::focusWidget(), rig->field(3));
}

void MainWindowTest::acceptedEntryMovesOnSilently_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("next");
    QTest::newRow("Text1 200") << 1 << "200"
                               << "Text2";
    QTest::newRow("Text2 1") << 2 << "1"
                             << "Text3";
    QTest::newRow("Text3 2000") << 3 << "2000"
                                << "Text4";
    QTest::newRow("Text4 1.5") << 4 << "1.5"
                               << "Text6";
    QTest::newRow("Text6 5") << 6 << "5"
                             << "Text7";
    QTest::newRow("Text7 2.5") << 7 << "2.5"
                               << "Text8";
    QTest::newRow("Text8 0") << 8 << "0"
                             << "Command1";
}

void MainWindowTest::acceptedEntryMovesOnSilently()
{
    QFETCH(int, field);
    QFETCH(QString, entry);
    QFETCH(QString, next);
    rig->create();
    QVERIFY(rig->showActive());
    rig->typeInto(field, entry);
    QTest::keyClick(rig->field(field), Qt::Key_Tab);
    QVERIFY(rig->refusals.isEmpty());
    QCOMPARE(QApplication::focusWidget()->objectName(), next);
    QCOMPARE(rig->sim.form.text(field).text(), entry);
    QCOMPARE(rig->entryWatch.entries,
             QStringList{QStringLiteral("Text%1 %2 accepted").arg(field).arg(entry)});
}

void MainWindowTest::refusedByClickOnAnotherField()
{
    rig->create();
    QVERIFY(rig->showActive());
    rig->typeInto(7, QStringLiteral("9"));
    rig->click(rig->field(2));
    QCOMPARE(rig->refusals,
             (QList<EntryRefusal>{{QStringLiteral("Invalid Port Number"),
                                   QStringLiteral("Please insert a number from 1 to 8.")}}));
    QCOMPARE(QApplication::focusWidget(), rig->field(7));
    QCOMPARE(rig->field(7)->text(), QStringLiteral("9"));
}

void MainWindowTest::refusedByClickOnStart()
{
    rig->create();
    QVERIFY(rig->sim.simulator.Form_Load());
    QVERIFY(rig->showActive());
    rig->typeInto(1, QStringLiteral("5"));
    rig->click(rig->control(QStringLiteral("Command1")));
    QCOMPARE(rig->refusals.size(), 1);
    QCOMPARE(rig->refusals[0].title, QStringLiteral("Invalid Data Points"));
    QCOMPARE(QApplication::focusWidget(), rig->field(1));
    // Start did not act on that click.
    QVERIFY(rig->sim.line.opened.isEmpty());
    QCOMPARE(rig->sim.form.Shape5.fillColor(), rgb(0, 64, 0));
    QCOMPARE(rig->sim.form.Timer4.interval(), 0);
}

void MainWindowTest::refusedByClickOnClose()
{
    rig->create();
    QVERIFY(rig->showActive());
    rig->typeInto(2, QStringLiteral("300"));
    rig->click(rig->control(QStringLiteral("Command2")));
    QCOMPARE(rig->refusals.size(), 1);
    QCOMPARE(rig->refusals[0].title, QStringLiteral("Invalid Page Gap"));
    QCOMPARE(rig->programEnds, 0);
    QCOMPARE(QApplication::focusWidget(), rig->field(2));
}

void MainWindowTest::refusedByClickOnAlarmButton()
{
    rig->create();
    QVERIFY(rig->sim.simulator.Form_Load());
    QVERIFY(rig->showActive());
    rig->typeInto(4, QStringLiteral("0"));
    rig->click(rig->control(QStringLiteral("Command4(1)")));
    QCOMPARE(rig->refusals.size(), 1);
    QCOMPARE(rig->refusals[0].title, QStringLiteral("Invalid Page Number"));
    QCOMPARE(rig->sim.form.AlarmState(1), qint16(0));
    QCOMPARE(rig->sim.form.Shape3(1).fillColor(), rgb(0, 255, 0));
    QCOMPARE(QApplication::focusWidget(), rig->field(4));
}

void MainWindowTest::refusedByClickOnPicture()
{
    rig->create();
    QVERIFY(rig->showActive());
    rig->typeInto(8, QStringLiteral("-5"));
    rig->click(rig->control(QStringLiteral("Picture4")));
    QCOMPARE(rig->refusals.size(), 1);
    QCOMPARE(rig->refusals[0].title, QStringLiteral("Invalid Data Terminator"));
    QVERIFY(rig->launcher.started.isEmpty());
    QCOMPARE(QApplication::focusWidget(), rig->field(8));
}

void MainWindowTest::refusedByClickHandedToTheControl_data()
{
    QTest::addColumn<QString>("target");
    QTest::newRow("another field") << "Text3";
    QTest::newRow("Start") << "Command1";
    QTest::newRow("Close") << "Command2";
    QTest::newRow("alarm button") << "Command4(1)";
    QTest::newRow("picture") << "Picture4";
}

void MainWindowTest::refusedByClickHandedToTheControl()
{
    QFETCH(QString, target);
    rig->create();
    QVERIFY(rig->sim.simulator.Form_Load());
    QVERIFY(rig->showActive());
    rig->typeInto(6, QStringLiteral("-1"));
    rig->clickDirect(rig->control(target));
    QCOMPARE(rig->refusals,
             (QList<EntryRefusal>{{QStringLiteral("Invalid Alarm Number"),
                                   QStringLiteral("Please insert a valid Alarm number.")}}));
    QCOMPARE(QApplication::focusWidget(), rig->field(6));
    QCOMPARE(rig->field(6)->text(), QStringLiteral("-1"));
    // Nothing acted on the click.
    QVERIFY(rig->sim.line.opened.isEmpty());
    QCOMPARE(rig->programEnds, 0);
    QCOMPARE(rig->sim.form.AlarmState(1), qint16(0));
    QVERIFY(rig->launcher.started.isEmpty());
}

void MainWindowTest::acceptedClickHandedToTheControlActs()
{
    rig->create();
    QVERIFY(rig->sim.simulator.Form_Load());
    QVERIFY(rig->showActive());
    rig->typeInto(6, QStringLiteral("2"));
    rig->clickDirect(rig->control(QStringLiteral("Command4(1)")));
    QVERIFY(rig->refusals.isEmpty());
    QCOMPARE(rig->sim.form.AlarmState(1), qint16(1));
    QCOMPARE(QApplication::focusWidget(), rig->control(QStringLiteral("Command4(1)")));
    // A click through the window after that is checked once, not twice.
    rig->typeInto(7, QStringLiteral("4"));
    rig->click(rig->control(QStringLiteral("Command1")));
    QVERIFY(rig->refusals.isEmpty());
    QCOMPARE(rig->sim.line.opened, QList<qint16>{4});
}

void MainWindowTest::clickInsideTheFieldRunsNoCheck()
{
    rig->create();
    QVERIFY(rig->showActive());
    rig->typeInto(7, QStringLiteral("abc"));
    rig->click(rig->field(7));
    QVERIFY(rig->refusals.isEmpty());
    QCOMPARE(QApplication::focusWidget(), rig->field(7));
}

void MainWindowTest::leavingForAnotherWindowRunsNoCheck()
{
    rig->create();
    QVERIFY(rig->showActive());
    rig->typeInto(3, QStringLiteral("100"));
    QWidget other;
    other.setGeometry(500, 0, 100, 100);
    auto* otherField = new QLineEdit(&other);
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other, patienceMs));
    QTest::mouseClick(other.windowHandle(), Qt::LeftButton, {}, otherField->geometry().center());
    QCOMPARE(QApplication::focusWidget(), otherField);
    QVERIFY(rig->refusals.isEmpty());
    // Back in the window, the field still holds its focus and its entry.
    QVERIFY(rig->showActive());
    QCOMPARE(QApplication::focusWidget(), rig->field(3));
    QCOMPARE(rig->field(3)->text(), QStringLiteral("100"));
    QVERIFY(rig->refusals.isEmpty());
}

void MainWindowTest::clicksOnDecorationRunNoCheck()
{
    rig->create();
    QVERIFY(rig->sim.simulator.Form_Load());
    QVERIFY(rig->showActive());
    rig->typeInto(7, QStringLiteral("abc"));
    for (const char* name :
         {"Label2", "Label3", "Label4", "Label1(0)", "Shape2", "Shape5", "Shape3(1)", "Text5"}) {
        rig->click(rig->control(QLatin1String(name)));
        QVERIFY2(rig->refusals.isEmpty(), name);
        QCOMPARE(QApplication::focusWidget(), rig->field(7));
    }
    // A place of the window with no control at all.
    QTest::mouseClick(rig->window->windowHandle(), Qt::LeftButton, {}, QPoint(5, 315));
    QVERIFY(rig->refusals.isEmpty());
}

void MainWindowTest::correctedEntryLeavesByClick()
{
    rig->create();
    QVERIFY(rig->sim.simulator.Form_Load());
    QVERIFY(rig->showActive());
    rig->typeInto(7, QStringLiteral("0"));
    rig->click(rig->control(QStringLiteral("Command1")));
    QCOMPARE(rig->refusals.size(), 1);
    rig->typeInto(7, QStringLiteral("3"));
    rig->click(rig->control(QStringLiteral("Command1")));
    QCOMPARE(rig->refusals.size(), 1);
    QCOMPARE(QApplication::focusWidget(), rig->control(QStringLiteral("Command1")));
    QCOMPARE(rig->sim.line.opened, QList<qint16>{3});
}

void MainWindowTest::buttonsActWhenNoFieldHoldsTheFocus()
{
    rig->create();
    QVERIFY(rig->sim.simulator.Form_Load());
    QVERIFY(rig->showActive());
    rig->sim.form.Text7.setText(QStringLiteral("abc")); // not typed: nobody leaves a field
    rig->click(rig->control(QStringLiteral("Command4(1)")));
    QVERIFY(rig->refusals.isEmpty());
    QCOMPARE(rig->sim.form.AlarmState(1), qint16(1));
    // The core reads the bad entry and raises its error, reported through the policy.
    rig->click(rig->control(QStringLiteral("Command1")));
    QCOMPARE(rig->sim.reporter.reports.size(), 1);
    QVERIFY(rig->sim.reporter.reports[0].startsWith(QStringLiteral("Start: ")));
}

void MainWindowTest::twoClicksOnPictureStartTwoPrograms()
{
    rig->create();
    QVERIFY(rig->sim.simulator.Form_Load());
    QVERIFY(rig->showActive());
    rig->click(rig->control(QStringLiteral("Command1")));
    const QList<qint16> opened = rig->sim.line.opened;
    const qint32 interval = rig->sim.form.Timer4.interval();

    rig->click(rig->control(QStringLiteral("Picture4")));
    rig->click(rig->control(QStringLiteral("Picture4")));
    QCOMPARE(rig->launcher.started, (QStringList{launchPath, launchPath}));
    QVERIFY(rig->sim.reporter.reports.isEmpty());
    // The run goes on untouched.
    QVERIFY(rig->sim.form.MSComm1.portOpen());
    QCOMPARE(rig->sim.line.opened, opened);
    QCOMPARE(rig->sim.form.Timer4.interval(), interval);
    QVERIFY(rig->sim.form.Timer4.enabled());
    // A press that leaves the picture before the release is no click.
    QWidget* picture = rig->control(QStringLiteral("Picture4"));
    const QPoint inside = picture->mapTo(rig->window.get(), QPoint(5, 5));
    QTest::mousePress(rig->window->windowHandle(), Qt::LeftButton, {}, inside);
    QTest::mouseRelease(rig->window->windowHandle(), Qt::LeftButton, {}, QPoint(200, 20));
    QCOMPARE(rig->launcher.started.size(), 2);
}

void MainWindowTest::missingProgramIsReported()
{
    rig->create();
    QVERIFY(rig->showActive());
    rig->launcher.failure = QStringLiteral("No such file or directory");
    rig->click(rig->control(QStringLiteral("Picture4")));
    QCOMPARE(
        rig->sim.reporter.reports,
        QStringList{QStringLiteral("Open DRYX: cannot start \"c:\\program files\\dryx\\dryx.exe\": "
                                   "No such file or directory (program not started)")});
    // The run goes on: the window still works.
    rig->click(rig->control(QStringLiteral("Command1")));
    QCOMPARE(rig->sim.line.opened.size(), 1);
}

void MainWindowTest::closeEndsTheProgram()
{
    rig->create();
    QVERIFY(rig->showActive());
    rig->click(rig->control(QStringLiteral("Command2")));
    QCOMPARE(rig->programEnds, 1);
    QVERIFY(rig->refusals.isEmpty());
}

void MainWindowTest::closingTheWindowEndsItEvenWithRefusedEntry()
{
    rig->create();
    QVERIFY(rig->showActive());
    rig->typeInto(1, QStringLiteral("x"));
    QTest::keyClick(rig->field(1), Qt::Key_Tab);
    QCOMPARE(rig->refusals.size(), 1);
    QVERIFY(rig->window->close());
    QCOMPARE(rig->programEnds, 1);
    QCOMPARE(rig->refusals.size(), 1);
}

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
