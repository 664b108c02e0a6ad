#include "core/EntryChecks.h"

#include <QtTest>

// The checks run when the focus leaves a field: exact limits, fractions, non-numbers.
class EntryChecksTest : public QObject
{
    Q_OBJECT

private slots:
    void limits_data();
    void limits();
    void everyFieldRefusesNonNumbersWithItsOwnMessage_data();
    void everyFieldRefusesNonNumbersWithItsOwnMessage();
    void theDisplayFieldIsNotChecked();

private:
    Conversions m_rules{QLocale::c()};
    EntryChecks m_checks{m_rules};
};

void EntryChecksTest::limits_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("accepted");

    const auto row = [](int field, const char* text, bool accepted) {
        QTest::addRow("Text%d %s", field, text) << field << QString::fromLatin1(text) << accepted;
    };
    row(1, "10", true);
    row(1, "200", true);
    row(1, "9.99", false);
    row(1, "200.5", false);
    row(1, "201", false);
    row(1, " 50 ", true);
    row(2, "1", true);
    row(2, "200", true);
    row(2, "0.5", false);
    row(2, "0", false);
    row(3, "500", true);
    row(3, "2000", true);
    row(3, "499", false);
    row(3, "2000.5", false);
    row(3, "5e2", true);
    row(4, "1", true);
    row(4, "1.5", true);
    row(4, "2", true);
    row(4, "0", false);
    row(4, "3", false);
    row(6, "0", true);
    row(6, "5", true);
    row(6, "100000", true);
    row(6, "-1", false);
    row(7, "1", true);
    row(7, "2.5", true);
    row(7, "8", true);
    row(7, "0", false);
    row(7, "9", false);
    row(8, "0", true);
    row(8, "63536", true);
    row(8, "-1", false);
    row(8, "END", false);
    // Judged by the value the simulator will use, grouping separators read: 1000.
    row(1, "1,000", false);
    row(3, "1,000", true);
    row(6, "1,000", true);
    row(3, "600,000", false);
}

void EntryChecksTest::limits()
{
    QFETCH(int, field);
    QFETCH(QString, text);
    QFETCH(bool, accepted);
    QCOMPARE(!m_checks.check(field, text).has_value(), accepted);
}

void EntryChecksTest::everyFieldRefusesNonNumbersWithItsOwnMessage_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("message");

    QTest::newRow("Text1") << 1 << "Invalid Data Points"
                           << "Please insert a number >=10  or  <200.";
    QTest::newRow("Text2") << 2 << "Invalid Page Gap"
                           << "Please insert a number from 1 to 200.";
    QTest::newRow("Text3") << 3 << "Invalid Data String Gap"
                           << "Please insert a number from 500 to 2000.";
    QTest::newRow("Text4") << 4 << "Invalid Page Number"
                           << "Please insert a number from 1 to 2.";
    QTest::newRow("Text6") << 6 << "Invalid Alarm Number"
                           << "Please insert a valid Alarm number.";
    QTest::newRow("Text7") << 7 << "Invalid Port Number"
                           << "Please insert a number from 1 to 8.";
    QTest::newRow("Text8") << 8 << "Invalid Data Terminator"
                           << "Please insert a Data Terminator.";
}

void EntryChecksTest::everyFieldRefusesNonNumbersWithItsOwnMessage()
{
    QFETCH(int, field);
    QFETCH(QString, title);
    QFETCH(QString, message);
    const EntryRefusal expected{title, message};
    for (const char* text : {"", "abc", "12abc", " "})
        QCOMPARE(m_checks.check(field, QString::fromLatin1(text)), std::optional(expected));
    // The named handler is the same check.
    const QString empty;
    const std::optional<EntryRefusal> named = field == 1   ? m_checks.Text1_Validate(empty)
                                              : field == 2 ? m_checks.Text2_Validate(empty)
                                              : field == 3 ? m_checks.Text3_Validate(empty)
                                              : field == 4 ? m_checks.Text4_Validate(empty)
                                              : field == 6 ? m_checks.Text6_Validate(empty)
                                              : field == 7 ? m_checks.Text7_Validate(empty)
                                                           : m_checks.Text8_Validate(empty);
    QCOMPARE(named, std::optional(expected));
}

void EntryChecksTest::theDisplayFieldIsNotChecked()
{
    QVERIFY(!EntryChecks::isChecked(5));
    QVERIFY(!m_checks.check(5, QStringLiteral("abc")));
    for (int field : {1, 2, 3, 4, 6, 7, 8})
        QVERIFY(EntryChecks::isChecked(field));
}

QTEST_APPLESS_MAIN(EntryChecksTest)
#include "tst_entrychecks.moc"
