// What an operator or a broken setup may hand the tool, class by class, and exactly what comes
// of it: in every entry field, in every setup key, in the setup file itself.
#include "core/EntryChecks.h"
#include "platform/IniFileSettingsStore.h"
#include "tests/support/SimulatorRig.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace std::chrono_literals;

Q_DECLARE_METATYPE(std::optional<QString>)

namespace
{
using FieldNumbers = QList<int>;
const FieldNumbers checkedFields{1, 2, 3, 4, 6, 7, 8};

// The limits each field is to hold, written out here as the operator reads them off the
// message boxes, as an independent account of what the checks must do.
bool withinLimits(int field, double value)
{
    switch (field) {
    case 1:
        return value >= 10 && value <= 200;
    case 2:
        return value >= 1 && value <= 200;
    case 3:
        return value >= 500 && value <= 2000;
    case 4:
        return value >= 1 && value <= 2;
    case 7:
        return value >= 1 && value <= 8;
    default:
        return value >= 0;
    }
}

QLocale localeNamed(const QString& name)
{
    return name == QLatin1String("de") ? QLocale(QLocale::German, QLocale::Germany) : QLocale::c();
}

const QString megabyte = QString(1 << 20, QLatin1Char('7'));
const QString manyDigits = QLatin1Char('1') + QString(9999, QLatin1Char('0'));
const QString tinyDigits =
    QStringLiteral("0.") + QString(9998, QLatin1Char('0')) + QLatin1Char('1');
} // namespace

class BadInputTest : public QObject
{
    Q_OBJECT
private slots:
    // Each class of text, and the fields that accept it.
    void entryFields_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("text");
        QTest::addColumn<FieldNumbers>("accepting");
        const auto row = [](const char* name, const char* locale, const QString& text,
                            const FieldNumbers& accepting) {
            QTest::newRow(name) << QString::fromLatin1(locale) << text << accepting;
        };
        const FieldNumbers none{};
        row("empty", "C", QString(), none);
        row("blanks only", "C", QStringLiteral("   "), none);
        row("letters", "C", QStringLiteral("abc"), none);
        row("12abc", "C", QStringLiteral("12abc"), none);
        row("plus sign", "C", QStringLiteral("+50"), {1, 2, 6, 8});
        row("two signs", "C", QStringLiteral("+-5"), none);
        row("minus zero", "C", QStringLiteral("-0"), {6, 8});
        row("exponent", "C", QStringLiteral("5e2"), {3, 6, 8});
        row("negative exponent", "C", QStringLiteral("2E-0"), {2, 4, 6, 7, 8});
        row("half an exponent", "C", QStringLiteral("5e"), none);
        row("beyond a double", "C", QStringLiteral("1e400"), none);
        row("below the smallest double", "C", QStringLiteral("1e-400"), {6, 8});
        row("below the smallest double, negative", "C", QStringLiteral("-1e-400"), {6, 8});
        row("decimal point", "C", QStringLiteral("1.5"), {2, 4, 6, 7, 8});
        row("point alone before", "C", QStringLiteral(".5"), {6, 8});
        row("point alone after", "C", QStringLiteral("2."), {2, 4, 6, 7, 8});
        row("grouping 1,000", "C", QStringLiteral("1,000"), {3, 6, 8});
        row("grouping 600,000", "C", QStringLiteral("600,000"), {6, 8});
        row("grouping 2,0 is twenty", "C", QStringLiteral("2,0"), {1, 2, 6, 8});
        row("German decimal comma", "de", QStringLiteral("1,5"), {2, 4, 6, 7, 8});
        row("German 2000,5", "de", QStringLiteral("2000,5"), {6, 8});
        row("German grouping 1.000", "de", QStringLiteral("1.000"), {3, 6, 8});
        row("German point is grouping", "de", QStringLiteral("1.5"), {1, 2, 6, 8});
        row("10,000 digits", "C", manyDigits, none);
        row("10,000 digits below one", "C", tinyDigits, {6, 8});
        row("a megabyte of digits", "C", megabyte, none);
        row("a megabyte of blanks, then 5", "C", QString(1 << 20, QLatin1Char(' ')) + '5',
            {2, 6, 7, 8});
        row("tab around", "C", QStringLiteral("\t5\t"), {2, 6, 7, 8});
        row("control character", "C", QStringLiteral("5\x01"), none);
        row("NUL", "C", QString(QChar(0)), none);
        row("CR inside", "C", QStringLiteral("6\r5"), none);
        row("LF at the end", "C", QStringLiteral("5\n"), none);
        row("blank inside", "C", QStringLiteral("1 0"), none);
        row("hexadecimal", "C", QStringLiteral("0x10"), none);
        row("infinity", "C", QStringLiteral("inf"), none);
        row("not a number", "C", QStringLiteral("nan"), none);
        row("full-width digits", "C", QStringLiteral("\uff15"), none);
        row("Arabic-Indic digits", "C", QStringLiteral("\u0665"), none);
    }

    void entryFields()
    {
        QFETCH(QString, locale);
        QFETCH(QString, text);
        QFETCH(FieldNumbers, accepting);
        const Conversions rules(localeNamed(locale));
        const EntryChecks checks(rules);
        for (const int field : checkedFields) {
            const bool accepted = !checks.check(field, text).has_value();
            QVERIFY2(accepted == accepting.contains(field),
                     qPrintable(QStringLiteral("Text%1").arg(field)));
            // What a check accepts is what the core reads: a number within the limits.
            QCOMPARE(accepted, rules.IsNumeric(text) && withinLimits(field, rules.ToDouble(text)));
        }
    }

    // A fraction either side of each limit, and the limit itself.
    void limitsHoldToTheFraction_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("below");
        QTest::addColumn<QString>("low");
        QTest::addColumn<QString>("high");
        QTest::addColumn<QString>("above");
        QTest::newRow("Text1") << 1 << "9.999"
                               << "10"
                               << "200"
                               << "200.001";
        QTest::newRow("Text2") << 2 << "0.999"
                               << "1"
                               << "200"
                               << "200.001";
        QTest::newRow("Text3") << 3 << "499.999"
                               << "500"
                               << "2000"
                               << "2000.001";
        QTest::newRow("Text4") << 4 << "0.999"
                               << "1"
                               << "2"
                               << "2.001";
        QTest::newRow("Text6") << 6 << "-0.001"
                               << "0"
                               << "1e300" << QString();
        QTest::newRow("Text7") << 7 << "0.999"
                               << "1"
                               << "8"
                               << "8.001";
        QTest::newRow("Text8") << 8 << "-0.001"
                               << "0"
                               << "1e300" << QString();
    }

    void limitsHoldToTheFraction()
    {
        QFETCH(int, field);
        QFETCH(QString, below);
        QFETCH(QString, low);
        QFETCH(QString, high);
        QFETCH(QString, above);
        const Conversions rules(QLocale::c());
        const EntryChecks checks(rules);
        QVERIFY(checks.check(field, below).has_value());
        QCOMPARE(checks.check(field, low), std::nullopt);
        QCOMPARE(checks.check(field, high), std::nullopt);
        if (!above.isEmpty())
            QVERIFY(checks.check(field, above).has_value());
    }

    // Each setup key given each class of text, the others as a good setup has them (5 K-Tron
    // feeders, no others, two relays): what start-up makes of it, or the error it reports.
    void setupKeys_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<std::optional<QString>>("stored");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("outcome"); // "Text1 Text4 Text6", or the report

        const auto row = [](const char* name, const char* key, const std::optional<QString>& stored,
                            const QString& outcome, const char* locale = "C") {
            QTest::newRow(name) << QString::fromLatin1(key) << stored << QString::fromLatin1(locale)
                                << outcome;
        };
        // The value as the message echoes it: \x01 for the control character, no more than its
        // first 100 characters.
        const auto notANumber = [](const char* key, const QString& text) {
            QString shown = text.left(100).replace(QChar(1), QLatin1String("\\x01"));
            if (text.size() > 100)
                shown += QStringLiteral("... (%1 characters)").arg(text.size());
            return QStringLiteral("Start-up: the setup key \"%1\" in the built-in setup holds "
                                  "\"%2\", not a number (type mismatch)")
                .arg(QLatin1String(key), shown);
        };
        for (const char* key : {"NumKTron", "NumModbus", "Num6B", "NumRelay"}) {
            const QString name = QString::fromLatin1(key);
            QTest::addRow("%s absent", key)
                << name << std::optional<QString>() << QStringLiteral("C")
                << QStringLiteral("Start-up: the setup key \"%1\" is absent from the built-in "
                                  "setup (type mismatch)")
                       .arg(name);
            for (const QString& text :
                 {QString(), QStringLiteral("  "), QStringLiteral("abc"), QStringLiteral("12abc"),
                  QStringLiteral("1e400"), QStringLiteral("5\x01"), QStringLiteral("\u00e9"),
                  manyDigits})
                QTest::addRow("%s holds %s", key, qPrintable(text.left(12)))
                    << name << std::optional(text) << QStringLiteral("C") << notANumber(key, text);
            QTest::addRow("%s out of range", key)
                << name << std::optional(QStringLiteral("40000")) << QStringLiteral("C")
                << QStringLiteral("Start-up: the setup key \"%1\" in the built-in setup holds "
                                  "\"40000\", out of range (overflow)")
                       .arg(name);
        }
        row("a fraction rounds to even", "NumKTron", QStringLiteral("2.5"), "4 1 2");
        row("below the smallest double", "NumKTron", QStringLiteral("1e-400"), "0 1 2");
        row("minus zero", "NumKTron", QStringLiteral("-0"), "0 1 2");
        row("a sign and an exponent", "NumModbus", QStringLiteral("+1e1"), "30 1 2");
        row("grouping makes it two pages", "Num6B", QStringLiteral("1,000"), "505 2 2");
        row("German decimal comma", "NumKTron", QStringLiteral("5,5"), "12 1 2", "de");
        row("blanks around", "NumKTron", QStringLiteral("\t 6 "), "12 1 2");
        row("a megabyte of blanks, then 5", "NumKTron", QString(1 << 20, QLatin1Char(' ')) + '5',
            "10 1 2");
        row("K x 2 overflows", "NumKTron", QStringLiteral("16384"),
            "Start-up: the number of data points in the setup reaches 32768, outside "
            "-32768..32767 (overflow)");
        row("five relays: four alarms", "NumRelay", QStringLiteral("5"), "10 1 5");
        row("negative relays: none", "NumRelay", QStringLiteral("-1"), "10 1 -1");
    }

    void setupKeys()
    {
        QFETCH(QString, key);
        QFETCH(std::optional<QString>, stored);
        QFETCH(QString, locale);
        QFETCH(QString, outcome);
        SimulatorRig rig;
        rig.rules = Conversions(localeNamed(locale));
        rig.setSetup(QStringLiteral("5"), QStringLiteral("0"), QStringLiteral("0"),
                     QStringLiteral("2"));
        MapSettingsStore broken;
        for (const char* name : {"NumKTron", "NumModbus", "Num6B", "NumRelay", "PLCTerminator"}) {
            const QString text = rig.store.read(QStringLiteral("kelmarith"),
                                                QStringLiteral("setup"), QLatin1String(name));
            if (key != QLatin1String(name))
                broken.set(QStringLiteral("kelmarith"), QStringLiteral("setup"),
                           QLatin1String(name), text);
            else if (stored)
                broken.set(QStringLiteral("kelmarith"), QStringLiteral("setup"),
                           QLatin1String(name), *stored);
        }
        rig.store = broken;
        const bool loaded = rig.simulator.Form_Load();
        if (outcome.startsWith(QLatin1String("Start-up: "))) {
            QVERIFY(!loaded);
            QCOMPARE(rig.reporter.reports, QStringList{outcome});
            return;
        }
        QVERIFY2(loaded, qPrintable(rig.reporter.reports.join(QLatin1Char('\n'))));
        QCOMPARE(rig.form.Text1.text() + ' ' + rig.form.Text4.text() + ' ' + rig.form.Text6.text(),
                 outcome);
        QCOMPARE(rig.reporter.reports, QStringList());
        const int shown = std::clamp(rig.form.Text6.text().toInt(), 0, 4);
        for (int i = 1; i <= 4; ++i)
            QCOMPARE(rig.form.Command4(i).visible(), i <= shown);
    }

    // The terminator is sent as stored, byte for byte as the line's encoding makes it; one with
    // a line break in it is sent as well, and the operator told once.
    void terminatorsAreSentAsStored_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QStringList>("reports");
        QTest::newRow("empty") << QString() << QByteArray("\r\n") << QStringList();
        QTest::newRow("letters and blanks")
            << "END OF DATA" << QByteArray("END OF DATA\r\n") << QStringList();
        QTest::newRow("Latin-1") << "caf\u00e9" << QByteArray("caf\xe9\r\n") << QStringList();
        QTest::newRow("beyond Latin-1") << "\u20ac5" << QByteArray("?5\r\n") << QStringList();
        QTest::newRow("control character") << "6\x01"
                                              "5"
                                           << QByteArray("6\x01"
                                                         "5\r\n")
                                           << QStringList();
        const QStringList lineBreak{
            "Start-up: the data terminator of the setup holds a line break (CR or LF); it is "
            "sent as it stands, and the receiver will see more than one line"};
        QTest::newRow("CR LF inside") << "63\r\n536" << QByteArray("63\r\n536\r\n") << lineBreak;
        QTest::newRow("LF alone") << "63\n536" << QByteArray("63\n536\r\n") << lineBreak;
    }

    void terminatorsAreSentAsStored()
    {
        QFETCH(QString, stored);
        QFETCH(QByteArray, line);
        QFETCH(QStringList, reports);
        SimulatorRig rig;
        rig.setSetup(QStringLiteral("5"), QStringLiteral("0"), QStringLiteral("0"),
                     QStringLiteral("0"), stored);
        QVERIFY(rig.simulator.Form_Load());
        QCOMPARE(rig.form.Text8.text(), stored);
        QVERIFY(rig.simulator.Command1_Click());
        rig.clock.advanceTo(1000ms);
        QCOMPARE(rig.line.writes.last().bytes, line);
        QCOMPARE(rig.reporter.reports, reports);
    }

    // The setup file: what the reader makes of each kind of file, or why it cannot read it.
    void setupFiles_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QString>("terminator");
        QTest::addColumn<QString>("numKTron");
        QTest::newRow("UTF-8") << QByteArray("[setup]\nNumKTron=1\nPLCTerminator=caf\xc3\xa9\n")
                               << "caf\u00e9"
                               << "1";
        QTest::newRow("not UTF-8: Latin-1")
            << QByteArray("[setup]\nNumKTron=1\nPLCTerminator=caf\xe9\n") << "caf\u00e9"
            << "1";
        QTest::newRow("byte order mark")
            << QByteArray("\xef\xbb\xbf[setup]\nNumKTron=2\nPLCTerminator=x\n") << "x"
            << "2";
        QTest::newRow("CR LF lines")
            << QByteArray("[setup]\r\nNumKTron=3\r\nPLCTerminator=y\r\n") << "y"
            << "3";
        QTest::newRow("a CR inside a value")
            << QByteArray("[setup]\nNumKTron=3\nPLCTerminator=6\r5\n") << "6\r5"
            << "3";
        QTest::newRow("NUL bytes") << QByteArray("[setup]\nNumKTron=4\0\nPLCTerminator=z\n", 36)
                                   << "z" << QString(QStringLiteral("4") + QChar(0));
        QTest::newRow("lines that are no key")
            << QByteArray("[setup]\ngarbage\n=5\nNumKTron=5\n[broken\nPLCTerminator=w\n") << "w"
            << "5";
        QTest::newRow("a megabyte of garbage")
            << QByteArray(1 << 20, '\xff') << QString() << QString();
    }

    void setupFiles()
    {
        QFETCH(QByteArray, contents);
        QFETCH(QString, terminator);
        QFETCH(QString, numKTron);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("setup.ini"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(contents);
        file.close();
        const IniFileSettingsStore store(path, QString());
        QCOMPARE(store.unavailable(), std::nullopt);
        QCOMPARE(store.read("kelmarith", "setup", "PLCTerminator"), terminator);
        QCOMPARE(store.read("kelmarith", "setup", "NumKTron"), numKTron);
    }

    void unreadableSetups()
    {
        QTemporaryDir dir;
        const IniFileSettingsStore missing(dir.filePath(QStringLiteral("none.ini")), QString());
        QCOMPARE(missing.unavailable(),
                 QStringLiteral("there is no setup at %1").arg(dir.filePath("none.ini")));
        const IniFileSettingsStore directory(dir.path(), QString());
        QCOMPARE(directory.unavailable(),
                 QStringLiteral("the setup at %1 is a directory, not a file").arg(dir.path()));

        // Start-up says so, instead of naming the first key as absent.
        SimulatorRig rig;
        Form1& form = rig.form;
        Simulator simulator(form, missing, rig.timers, rig.reporter, rig.rules);
        QVERIFY(!simulator.Form_Load());
        QCOMPARE(rig.reporter.reports,
                 QStringList{QStringLiteral("Start-up: there is no setup at %1; the fields keep "
                                            "the window's values (no setup)")
                                 .arg(dir.filePath("none.ini"))});
        QCOMPARE(form.Text1.text(), QStringLiteral("30"));
    }
};

QTEST_APPLESS_MAIN(BadInputTest)
#include "tst_badinput.moc"
