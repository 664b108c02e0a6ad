#pragma once

#include <QLocale>
#include <QString>

// The rules that turn field text into numbers and numbers into field text. Every handler
// converts through these and nothing else, so a value means the same wherever it is read.
// Numbers typed by the operator use the user's decimal and grouping separators; the leading
// number of a text is always read with a full stop as its decimal point.
class Conversions
{
public:
    explicit Conversions(const QLocale& locale = QLocale::system());

    // Round to the nearest integer, ties to even; type mismatch or overflow otherwise. A
    // non-zero magnitude below the smallest double is 0 (-0 with a minus sign).
    qint16 ToInt16(const QString& text) const;
    qint32 ToInt32(const QString& text) const;
    double ToDouble(const QString& text) const;

    // The number at the start of the text after blanks, 0 when there is none. Never raises.
    static double LeadingNumber(const QString& text);
    // True exactly when ToDouble succeeds: a number beyond the range of a double is not one.
    bool IsNumeric(const QString& text) const;

    static QString FormatInt16(qint16 value);
    // Shortest form up to 15 significant digits, no trailing zeros.
    QString FormatDouble(double value) const;

private:
    bool parse(const QString& text, double* value) const;

    QChar m_decimal;
    QChar m_grouping;
};
