#include "core/Conversions.h"

#include "core/ShownInput.h"
#include "core/SimulatorError.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>

namespace
{

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// Reads an optional exponent "e-12" at `pos`; returns the position after it, or `pos` when
// what stands there is not a whole exponent.
qsizetype skipExponent(const QString& text, qsizetype pos)
{
    if (pos >= text.size() || (text[pos] != QLatin1Char('e') && text[pos] != QLatin1Char('E')))
        return pos;
    qsizetype p = pos + 1;
    if (p < text.size() && (text[p] == QLatin1Char('+') || text[p] == QLatin1Char('-')))
        ++p;
    if (p >= text.size() || !isDigit(text[p]))
        return pos;
    while (p < text.size() && isDigit(text[p]))
        ++p;
    return p;
}

double roundHalfToEven(double value)
{
    const double below = std::floor(value);
    const double fraction = value - below;
    if (fraction > 0.5)
        return below + 1;
    if (fraction < 0.5)
        return below;
    return std::fmod(below, 2.0) == 0 ? below : below + 1;
}

// The power of ten of the leading digit of a number in C notation (`-0.012e5` gives 3), as far as
// it matters here: to tell a number too large for a double from one too small.
qint64 orderOfMagnitude(const QByteArray& number)
{
    const qsizetype e = number.indexOf('e');
    const QByteArray mantissa = e < 0 ? number : number.left(e);
    qint64 exponent = 0;
    if (e >= 0) {
        const QByteArray digits = number.mid(e + 1);
        const bool negative = digits.startsWith('-');
        for (const char c : digits)
            if (c >= '0' && c <= '9')
                exponent = std::min<qint64>(exponent * 10 + (c - '0'), 1'000'000'000);
        exponent = negative ? -exponent : exponent;
    }
    const qsizetype point = mantissa.contains('.') ? mantissa.indexOf('.') : mantissa.size();
    for (qsizetype i = 0; i < mantissa.size(); ++i)
        if (mantissa[i] >= '1' && mantissa[i] <= '9')
            return exponent + (i < point ? point - i - 1 : point - i);
    return 0;
}

// A number in C notation as a double: nothing when it lies beyond the range of a double; a
// non-zero magnitude below the smallest double is 0 (-0 with a minus sign), as the hardware
// rounds it. The user's locale plays no part here.
std::optional<double> toDoubleInCNotation(const QString& plain)
{
    QByteArray number = plain.toLatin1().toLower();
    const bool negative = number.startsWith('-');
    if (number.startsWith('+') || negative)
        number.remove(0, 1);
    double value = 0;
    const auto [end, error] =
        std::from_chars(number.constData(), number.constData() + number.size(), value);
    if (error == std::errc::result_out_of_range) {
        if (orderOfMagnitude(number) >= 0)
            return std::nullopt;
        value = 0;
    } else if (error != std::errc() || end != number.constData() + number.size()) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

template <typename Int> Int toInteger(const Conversions& rules, const QString& text)
{
    const double rounded = roundHalfToEven(rules.ToDouble(text));
    if (rounded < double(std::numeric_limits<Int>::min()) ||
        rounded > double(std::numeric_limits<Int>::max()))
        throw SimulatorError(ErrorKind::Overflow,
                             QStringLiteral("\"%1\" is out of range for a %2-bit number")
                                 .arg(ShownInput::echoed(text), QString::number(sizeof(Int) * 8)));
    return Int(rounded);
}

} // namespace

Conversions::Conversions(const QLocale& locale)
    : m_decimal(locale.decimalPoint().at(0)),
      m_grouping(locale.groupSeparator().isEmpty() ? QChar() : locale.groupSeparator().at(0))
{
}

bool Conversions::parse(const QString& text, double* value) const
{
    qsizetype pos = 0;
    const qsizetype end = text.size();
    while (pos < end && isBlank(text[pos]))
        ++pos;
    QString plain; // the number in C notation, separators resolved
    if (pos < end && (text[pos] == QLatin1Char('+') || text[pos] == QLatin1Char('-')))
        plain += text[pos++];
    int digits = 0;
    while (pos < end && (isDigit(text[pos]) ||
                         (digits > 0 && !m_grouping.isNull() && text[pos] == m_grouping))) {
        if (isDigit(text[pos])) {
            plain += text[pos];
            ++digits;
        }
        ++pos;
    }
    if (pos < end && text[pos] == m_decimal) {
        plain += QLatin1Char('.');
        ++pos;
        while (pos < end && isDigit(text[pos])) {
            plain += text[pos++];
            ++digits;
        }
    }
    if (digits == 0)
        return false;
    const qsizetype afterExponent = skipExponent(text, pos);
    plain += text.mid(pos, afterExponent - pos);
    pos = afterExponent;
    while (pos < end && isBlank(text[pos]))
        ++pos;
    if (pos != end)
        return false;
    const std::optional<double> converted = toDoubleInCNotation(plain);
    if (value && converted)
        *value = *converted;
    return converted.has_value();
}

bool Conversions::IsNumeric(const QString& text) const
{
    return parse(text, nullptr);
}

double Conversions::ToDouble(const QString& text) const
{
    double value = 0;
    if (!parse(text, &value))
        throw SimulatorError(
            ErrorKind::TypeMismatch,
            QStringLiteral("\"%1\" is not a number").arg(ShownInput::echoed(text)));
    return value;
}

qint16 Conversions::ToInt16(const QString& text) const
{
    return toInteger<qint16>(*this, text);
}

qint32 Conversions::ToInt32(const QString& text) const
{
    return toInteger<qint32>(*this, text);
}

double Conversions::LeadingNumber(const QString& text)
{
    qsizetype pos = 0;
    const qsizetype end = text.size();
    while (pos < end && isBlank(text[pos]))
        ++pos;
    const qsizetype start = pos;
    if (pos < end && (text[pos] == QLatin1Char('+') || text[pos] == QLatin1Char('-')))
        ++pos;
    int digits = 0;
    while (pos < end && isDigit(text[pos])) {
        ++pos;
        ++digits;
    }
    if (pos < end && text[pos] == QLatin1Char('.')) {
        ++pos;
        while (pos < end && isDigit(text[pos])) {
            ++pos;
            ++digits;
        }
    }
    if (digits == 0)
        return 0;
    pos = skipExponent(text, pos);
    // Read as ToDouble reads C notation, so that a magnitude below the smallest double is 0 here
    // too, not a number out of range.
    const std::optional<double> value = toDoubleInCNotation(text.mid(start, pos - start));
    if (!value) // beyond the range of a double
        return text[start] == QLatin1Char('-') ? -std::numeric_limits<double>::infinity()
                                               : std::numeric_limits<double>::infinity();
    return *value + 0.0;
}

QString Conversions::FormatInt16(qint16 value)
{
    return QString::number(value);
}

QString Conversions::FormatDouble(double value) const
{
    if (value == 0)
        return QStringLiteral("0"); // no "-0"
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.15G", value);
    QString text = QString::fromLatin1(buffer);
    text.replace(QLatin1Char('.'), m_decimal);
    return text;
}
