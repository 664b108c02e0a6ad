#include "app/DeskRecord.h"
#include "app/Session.h"
#include "core/LineFaults.h"
#include "tests/support/RecordingReporter.h"
#include "tests/support/SimulatorRig.h"
#include "ui/FaultsPanel.h"
#include "ui/FormMenu.h"
#include "ui/LineHistory.h"
#include "ui/LineWindow.h"
#include "ui/RecordPanel.h"
#include "ui/ScenarioPanel.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QTemporaryDir>

using namespace std::chrono_literals;

namespace
{
QString write(const QTemporaryDir& dir, const QString& name, const QByteArray& contents)
{
    QFile file(dir.filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(contents) != contents.size())
        qFatal("cannot write %s", qPrintable(file.fileName()));
    return file.fileName();
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
} // namespace

class LineWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void historyStaysBounded();
    void faultedDataStringIsMarked_data();
    void faultedDataStringIsMarked();
    void undeliveredDataStringIsMarked_data();
    void undeliveredDataStringIsMarked();
    void scriptIsCheckedWholeBeforeItRuns_data();
    void scriptIsCheckedWholeBeforeItRuns();
    void faultArmedAtTheDeskRecordsAsTheCommand();
    void deskRecordBeginsWithTheNextDataString();
    void formMenuAndItsKey();
    void openSetupReadsItAsStartUp();
    void keepsItsPlace();

private:
    // A run in virtual time on the example setup, as --virtual-time gives it.
    std::unique_ptr<Session> session(Options options)
    {
        options.virtualTime = true;
        options.settingsFile = write(m_dir, QStringLiteral("setup.ini"),
                                     "[setup]\nNumKTron=10\nNumModbus=5\nNum6B=3\nNumRelay=1\n"
                                     "PLCTerminator=63536\n");
        return Session::open(options, m_reporter);
    }

    QTemporaryDir m_dir;
    RecordingReporter m_reporter;
};

namespace
{
// The setup the tests below count bytes by (30 points, one alarm), loaded, then Start.
void start(SimulatorRig& rig)
{
    rig.setSetup(QStringLiteral("10"), QStringLiteral("5"), QStringLiteral("3"),
                 QStringLiteral("1"));
    rig.simulator.Form_Load();
    rig.simulator.Command1_Click();
}
} // namespace

void LineWindowTest::historyStaysBounded()
{
    SimulatorRig rig;
    LineHistory history(rig.simulator, 5);
    start(rig);
    rig.clock.advanceTo(11900ms); // 1000, 1500 .. 5000, 5010, 5510 .. 9510, 10500, 11000, 11500
    history.sync();
    QCOMPARE(history.rowCount(), 5);
    QCOMPARE(history.entry(0).number, 18);
    QCOMPARE(history.entry(4).number, 22);
    QCOMPARE(history.entry(4).sinceStartMs, 11500);
    QCOMPARE(history.entry(4).bytes.left(9), QByteArray("1\r\n2\r\n3\r\n"));
    QCOMPARE(history.entry(4).byteCount, 133);
}

void LineWindowTest::faultedDataStringIsMarked_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("mark");
    QTest::newRow("garble") << "garble 2"
                            << "garble: line 2 byte 1: 32 -> ";
    QTest::newRow("drop-line") << "drop-line 3"
                               << "drop-line: line 3 left out";
    QTest::newRow("no-terminator") << "no-terminator"
                                   << "no-terminator: terminator line left out";
}

void LineWindowTest::faultedDataStringIsMarked()
{
    QFETCH(QString, fault);
    QFETCH(QString, mark);
    SimulatorRig rig;
    LineFaults faults(1);
    rig.port.setFaults(&faults);
    LineHistory history(rig.simulator);
    start(rig);
    rig.clock.advanceTo(1200ms);
    faults.arm(LineFault::parse(fault));
    rig.clock.advanceTo(2200ms);
    history.sync();
    QCOMPARE(history.rowCount(), 3);
    QVERIFY(history.entry(0).mark(1).isEmpty());
    QCOMPARE(history.entry(1).fault, fault.section(QLatin1Char(' '), 0, 0));
    const QModelIndex marked = history.index(1, LineHistory::Mark);
    QVERIFY2(marked.data().toString().startsWith(mark), qPrintable(marked.data().toString()));
    QVERIFY(!marked.data(Qt::DecorationRole).isNull());
    QVERIFY(history.index(2, LineHistory::Mark).data().toString().isEmpty());
}

void LineWindowTest::undeliveredDataStringIsMarked_data()
{
    QTest::addColumn<int>("delivery");
    QTest::addColumn<QString>("mark");
    QTest::newRow("sent") << int(Delivery::Sent) << QString();
    QTest::newRow("left out") << int(Delivery::LeftOut) << "left out: the line could not carry it";
    QTest::newRow("lost") << int(Delivery::Lost) << "lost: the reader was not reading";
}

void LineWindowTest::undeliveredDataStringIsMarked()
{
    QFETCH(int, delivery);
    QFETCH(QString, mark);
    SimulatorRig rig;
    rig.line.delivery = Delivery(delivery);
    LineHistory history(rig.simulator);
    start(rig);
    rig.clock.advanceTo(1200ms);
    history.sync();
    QCOMPARE(history.rowCount(), 1);
    QCOMPARE(history.entry(0).byteCount, 133);
    QCOMPARE(history.index(0, LineHistory::Mark).data().toString(), mark);
}

void LineWindowTest::scriptIsCheckedWholeBeforeItRuns_data()
{
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<QStringList>("problems");
    QTest::addColumn<qint64>("sent");
    QTest::newRow("sound") << QByteArray("at 0 start\nat 2200 stop\n") << QStringList() << 3LL;
    QTest::newRow("two steps at fault")
        << QByteArray("at 0 start\nat 100 alarm\n# a comment\nat 200 stop\nat 150 frob\n")
        << QStringList{QStringLiteral(
                           "line 2: alarm: expected an alarm button number, e.g. alarm 1"),
                       QStringLiteral("line 5: at 150 comes after at 200: steps go in time order")}
        << 0LL;
}

void LineWindowTest::scriptIsCheckedWholeBeforeItRuns()
{
    QFETCH(QByteArray, script);
    QFETCH(QStringList, problems);
    QFETCH(qint64, sent);
    Options options;
    options.durationMs = 4000;
    const std::unique_ptr<Session> run = session(options);
    ScenarioPanel panel(*run);
    panel.open(write(m_dir, QStringLiteral("rig.txt"), script));
    const auto* listed = panel.findChild<QListWidget*>(QStringLiteral("scriptProblems"));
    QStringList shown;
    for (int row = 0; row < listed->count(); ++row)
        shown.append(listed->item(row)->text());
    QCOMPARE(shown, problems);
    auto* runButton = panel.findChild<QPushButton*>(QStringLiteral("runScenario"));
    QCOMPARE(runButton->isEnabled(), problems.isEmpty());
    QVERIFY(run->begin());
    runButton->click();
    run->runInVirtualTime();
    QCOMPARE(run->status().dataStringsSent, sent);
    QCOMPARE(run->status().stepsDone, problems.isEmpty() ? 2 : 0);
}

void LineWindowTest::faultArmedAtTheDeskRecordsAsTheCommand()
{
    const auto record = [&](const QByteArray& script, const std::function<void(Session&)>& desk) {
        Options options;
        options.scriptFile = write(m_dir, QStringLiteral("rig.txt"), script);
        options.logFile = m_dir.filePath(QStringLiteral("run.log"));
        const std::unique_ptr<Session> run = session(options);
        desk(*run);
        run->begin();
        run->runInVirtualTime();
        return readAll(options.logFile);
    };
    const QByteArray byCommand =
        record("at 0 fault garble 3 x2\nat 0 start\nat 3000 quit\n", [](Session&) {});
    const QByteArray atTheDesk = record("at 0 start\nat 3000 quit\n", [](Session& run) {
        FaultsPanel panel(run);
        auto* kind = panel.findChild<QComboBox*>(QStringLiteral("faultKind"));
        auto* argument = panel.findChild<QLineEdit*>(QStringLiteral("faultArgument"));
        auto* arm = panel.findChild<QPushButton*>(QStringLiteral("armFault"));
        // A cut armed first and taken back: it never reaches the line.
        kind->setCurrentIndex(kind->findText(QStringLiteral("cut"), Qt::MatchStartsWith));
        arm->click();
        kind->setCurrentIndex(kind->findText(QStringLiteral("garble"), Qt::MatchStartsWith));
        argument->setText(QStringLiteral("3"));
        panel.findChild<QSpinBox*>(QStringLiteral("faultCount"))->setValue(2);
        arm->click();
        auto* armed = panel.findChild<QListWidget*>(QStringLiteral("armedFaults"));
        QCOMPARE(armed->count(), 2);
        armed->setCurrentRow(0);
        panel.findChild<QPushButton*>(QStringLiteral("takeBackFault"))->click();
        QCOMPARE(run.status().faultsArmed, QStringList{QStringLiteral("garble 3 x2")});
    });
    QCOMPARE(byCommand.count("(garble: line 3 byte "), 2);
    QCOMPARE(atTheDesk, byCommand);
}

void LineWindowTest::deskRecordBeginsWithTheNextDataString()
{
    SimulatorRig rig;
    rig.setSetup(QStringLiteral("31"), QStringLiteral("0"), QStringLiteral("1"),
                 QStringLiteral("1")); // 63 points: two pages, 10 ms apart
    rig.simulator.Form_Load();
    rig.simulator.Command1_Click();
    // One page at 1000, then two pages 10 ms apart: 1500 and 1510, 2010 and 2020. At 1505 the
    // first page of the data string at 1500 has gone.
    rig.clock.advanceTo(1505ms);
    const QString path = m_dir.filePath(QStringLiteral("desk.log"));
    {
        DeskRecord record(path, 7, 1, true, rig.reporter); // the one at 1000 has ended
        rig.simulator.addObserver(&record);
        rig.clock.advanceTo(2100ms);
        rig.simulator.removeObserver(&record);
    }
    const QList<QByteArray> lines = readAll(path).split('\n');
    QCOMPARE(lines.value(0), QByteArray("# seed 7"));
    QVERIFY2(lines.value(1).startsWith("2010 Timer1 first 31 0D 0A"), lines.value(1));
    QCOMPARE(lines.value(lines.size() - 2), QByteArray("= 2020 data string 3: 248 bytes"));
}

void LineWindowTest::formMenuAndItsKey()
{
    QWidget form;
    int lines = 0;
    bool stopped = true;
    FormMenu menu(&form, {.openSetup = [] {},
                          .setupAllowed = [&] { return stopped; },
                          .line = [&] { ++lines; },
                          .about = [] {}});
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QTest::keyClick(&form, Qt::Key_L, Qt::ControlModifier);
    QCOMPARE(lines, 1);
    QStringList texts;
    for (const QAction* action : menu.menu()->actions())
        texts.append(action->text());
    QCOMPARE(texts, (QStringList{QStringLiteral("Open &setup…"), QStringLiteral("&Line…"),
                                 QStringLiteral("&About")}));
    QVERIFY(menu.menu()->actions().first()->isEnabled());
    stopped = false;
    QVERIFY(!menu.menu()->actions().first()->isEnabled());
}

void LineWindowTest::openSetupReadsItAsStartUp()
{
    Options options;
    options.durationMs = 2000;
    const std::unique_ptr<Session> run = session(options);
    Form1& form = run->form();
    QVERIFY(run->simulator().Command4_Click(1)); // A1 raised
    const QString four = write(m_dir, QStringLiteral("four.ini"),
                               "[setup]\nNumKTron=10\nNumModbus=5\nNum6B=3\nNumRelay=4\n"
                               "PLCTerminator=END\n");
    QVERIFY(run->simulator().Command1_Click());
    QVERIFY(run->openSetup(four).value_or(QString()).contains(QLatin1String("press Stop first")));
    QVERIFY(run->simulator().Command3_Click());
    QCOMPARE(run->openSetup(m_dir.filePath(QStringLiteral("none.ini"))).has_value(), true);
    QCOMPARE(run->openSetup(four), std::nullopt);
    QCOMPARE(run->setupLocation(), four);
    QCOMPARE(form.Text8.text(), QStringLiteral("END"));
    QVERIFY(form.Command4(4).visible());
    QCOMPARE(form.AlarmState(1), 0);
    QCOMPARE(form.Shape3(1).fillColor(), Colours::alarmClear);
    QVERIFY(run->simulator().Command4_Click(3));
    QCOMPARE(run->openSetup(m_dir.filePath(QStringLiteral("setup.ini"))), std::nullopt);
    QVERIFY(!form.Command4(3).visible() && !form.Shape3(3).visible());
    QCOMPARE(form.AlarmState(3), 0);
}

void LineWindowTest::keepsItsPlace()
{
    QSettings place(m_dir.filePath(QStringLiteral("place.ini")), QSettings::IniFormat);
    Options options;
    options.durationMs = 1000;
    const std::unique_ptr<Session> run = session(options);
    LineHistory history(run->simulator());
    QRect kept;
    {
        LineWindow window(*run, history, place);
        QCOMPARE(window.windowTitle(), QStringLiteral("Line — DRYX PLC Test"));
        window.open();
        // A size it can take whatever the fonts: larger than the least its contents need.
        kept = QRect(QPoint(40, 30), window.minimumSizeHint() + QSize(20, 10));
        window.setGeometry(kept);
        window.close();
    }
    LineWindow again(*run, history, place);
    QCOMPARE(again.geometry(), kept);
}

QTEST_MAIN(LineWindowTest)
#include "tst_linewindow.moc"
