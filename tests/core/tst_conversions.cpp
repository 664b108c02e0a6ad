#include "core/Conversions.h"
#include "core/SimulatorError.h"

#include <QtTest>

#include <optional>

Q_DECLARE_METATYPE(std::optional<ErrorKind>)

class ConversionsTest : public QObject
{
    Q_OBJECT

private slots:
    void toInt16_data();
    void toInt16();
    void toInt32_data();
    void toInt32();
    void toDouble_data();
    void toDouble();
    void isNumeric_data();
    void isNumeric();
    void leadingNumber_data();
    void leadingNumber();
    void formatDouble_data();
    void formatDouble();
    void formatInt16();
    void separatorsFollowTheUsersLocale();

private:
    Conversions m_c{QLocale::c()};
};

namespace
{
std::optional<ErrorKind> none()
{
    return std::nullopt;
}
} // namespace

void ConversionsTest::toInt16_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");
    QTest::addColumn<std::optional<ErrorKind>>("error");

    QTest::newRow("whole") << "30" << 30 << none();
    QTest::newRow("blanks around") << " 12 " << 12 << none();
    QTest::newRow("0.5 to even 0") << "0.5" << 0 << none();
    QTest::newRow("1.5 to even 2") << "1.5" << 2 << none();
    QTest::newRow("2.5 to even 2") << "2.5" << 2 << none();
    QTest::newRow("32.5 to even 32") << "32.5" << 32 << none();
    QTest::newRow("33.5 to even 34") << "33.5" << 34 << none();
    QTest::newRow("-2.5 to even -2") << "-2.5" << -2 << none();
    QTest::newRow("31.6 up") << "31.6" << 32 << none();
    QTest::newRow("exponent") << "1e2" << 100 << none();
    QTest::newRow("grouping") << "1,000" << 1000 << none();
    QTest::newRow("top") << "32767" << 32767 << none();
    QTest::newRow("bottom") << "-32768" << -32768 << none();
    QTest::newRow("32767.5 rounds past the top")
        << "32767.5" << 0 << std::optional(ErrorKind::Overflow);
    QTest::newRow("40000") << "40000" << 0 << std::optional(ErrorKind::Overflow);
    QTest::newRow("-32769") << "-32769" << 0 << std::optional(ErrorKind::Overflow);
    QTest::newRow("beyond a double: not a number")
        << "1e400" << 0 << std::optional(ErrorKind::TypeMismatch);
    QTest::newRow("below the smallest double: 0") << "1e-400" << 0 << none();
    QTest::newRow("empty") << "" << 0 << std::optional(ErrorKind::TypeMismatch);
    QTest::newRow("letters") << "abc" << 0 << std::optional(ErrorKind::TypeMismatch);
    QTest::newRow("trailing letters") << "12abc" << 0 << std::optional(ErrorKind::TypeMismatch);
}

void ConversionsTest::toInt16()
{
    QFETCH(QString, text);
    QFETCH(int, value);
    QFETCH(std::optional<ErrorKind>, error);
    try {
        const qint16 result = m_c.ToInt16(text);
        QVERIFY2(!error, "no error raised");
        QCOMPARE(int(result), value);
    } catch (const SimulatorError& raised) {
        QVERIFY2(error, qPrintable(raised.message()));
        QCOMPARE(raised.kind(), *error);
    }
}

void ConversionsTest::toInt32_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint32>("value");
    QTest::addColumn<bool>("overflows");

    QTest::newRow("beyond 16 bits") << "40000" << 40000 << false;
    QTest::newRow("500.5 to even 500") << "500.5" << 500 << false;
    QTest::newRow("501.5 to even 502") << "501.5" << 502 << false;
    QTest::newRow("top") << "2147483647" << 2147483647 << false;
    QTest::newRow("past the top") << "2147483648" << 0 << true;
    QTest::newRow("past the bottom") << "-2147483649" << 0 << true;
}

void ConversionsTest::toInt32()
{
    QFETCH(QString, text);
    QFETCH(qint32, value);
    QFETCH(bool, overflows);
    if (overflows) {
        try {
            m_c.ToInt32(text);
            QFAIL("no overflow raised");
        } catch (const SimulatorError& error) {
            QCOMPARE(error.kind(), ErrorKind::Overflow);
        }
        return;
    }
    QCOMPARE(m_c.ToInt32(text), value);
}

void ConversionsTest::toDouble_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");

    QTest::newRow("fraction") << "500.5" << 500.5;
    QTest::newRow("leading point") << ".5" << 0.5;
    QTest::newRow("trailing point") << "2." << 2.0;
    QTest::newRow("signed") << "+2.0" << 2.0;
    QTest::newRow("exponent") << "2.5E-1" << 0.25;
    QTest::newRow("tab and blanks") << "\t 7 " << 7.0;
}

void ConversionsTest::toDouble()
{
    QFETCH(QString, text);
    QFETCH(double, value);
    QCOMPARE(m_c.ToDouble(text), value);
}

void ConversionsTest::isNumeric_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("numeric");

    QTest::newRow("12") << "12" << true;
    QTest::newRow("blanks around 12") << " 12 " << true;
    QTest::newRow("negative") << "-1" << true;
    QTest::newRow("exponent") << "1e3" << true;
    QTest::newRow("grouped") << "1,234.5" << true;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("blanks only") << "   " << false;
    QTest::newRow("12abc") << "12abc" << false;
    QTest::newRow("abc") << "abc" << false;
    QTest::newRow("sign alone") << "-" << false;
    QTest::newRow("point alone") << "." << false;
    QTest::newRow("half an exponent") << "1e" << false;
    QTest::newRow("inner blank") << "1 2" << false;
    QTest::newRow("two points") << "1.2.3" << false;
    QTest::newRow("grouping first") << ",5" << false;
}

void ConversionsTest::isNumeric()
{
    QFETCH(QString, text);
    QFETCH(bool, numeric);
    QCOMPARE(m_c.IsNumeric(text), numeric);
}

void ConversionsTest::leadingNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");

    QTest::newRow("12abc") << "12abc" << 12.0;
    QTest::newRow("abc") << "abc" << 0.0;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("blanks first") << "  -3.5x" << -3.5;
    QTest::newRow("exponent") << "2e2x" << 200.0;
    QTest::newRow("half an exponent") << "2ex" << 2.0;
    QTest::newRow("stops at a comma") << "1,000" << 1.0;
    QTest::newRow("200.5") << "200.5" << 200.5;
    QTest::newRow("sign alone") << "-" << 0.0;
    QTest::newRow("below the smallest double: 0") << "1e-400x" << 0.0;
    QTest::newRow("below the smallest double, negative: 0") << "-1e-400" << 0.0;
    QTest::newRow("beyond a double") << "1e400x" << qInf();
    QTest::newRow("beyond a double, negative") << "-1e400" << -qInf();
}

void ConversionsTest::leadingNumber()
{
    QFETCH(QString, text);
    QFETCH(double, value);
    QCOMPARE(Conversions::LeadingNumber(text), value);
}

void ConversionsTest::formatDouble_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");

    QTest::newRow("half") << 32.5 << "32.5";
    QTest::newRow("whole") << 33.0 << "33";
    QTest::newRow("zero") << 0.0 << "0";
    QTest::newRow("negative zero") << -0.0 << "0";
    QTest::newRow("negative") << -31.5 << "-31.5";
    QTest::newRow("15 digits") << 0.1 + 0.2 << "0.3";
    QTest::newRow("large") << 16383.5 << "16383.5";
}

void ConversionsTest::formatDouble()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(m_c.FormatDouble(value), text);
}

void ConversionsTest::formatInt16()
{
    QCOMPARE(Conversions::FormatInt16(0), QStringLiteral("0"));
    QCOMPARE(Conversions::FormatInt16(42), QStringLiteral("42"));
    QCOMPARE(Conversions::FormatInt16(-32768), QStringLiteral("-32768"));
}

void ConversionsTest::separatorsFollowTheUsersLocale()
{
    const Conversions german{QLocale(QLocale::German, QLocale::Germany)};
    QCOMPARE(german.FormatDouble(31.5), QStringLiteral("31,5"));
    QCOMPARE(german.ToDouble(QStringLiteral("31,5")), 31.5);
    QCOMPARE(german.ToDouble(QStringLiteral("1.000")), 1000.0);
    QCOMPARE(int(german.ToInt16(QStringLiteral("32,5"))), 32);
    QVERIFY(!german.IsNumeric(QStringLiteral("31,5,5")));
    // The leading number is read with a full stop whatever the locale.
    QCOMPARE(Conversions::LeadingNumber(QStringLiteral("31,5")), 31.0);
}

QTEST_APPLESS_MAIN(ConversionsTest)
#include "tst_conversions.moc"
