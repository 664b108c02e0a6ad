// The conversion rules on any text, read as UTF-8 and as Latin-1, in C notation and with a
// German user's separators.
#include "core/Conversions.h"
#include "core/SimulatorError.h"
#include "tests/fuzz/FuzzCheck.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
#include <string>

using Fuzz::require;

namespace
{

// What ToInt16 and ToInt32 must give for a value: std::nearbyint rounds ties to even in the
// default rounding mode, independently of the tool's own rounding.
template <typename Int> std::optional<Int> expectedInteger(double value)
{
    const double rounded = std::nearbyint(value);
    if (rounded < double(std::numeric_limits<Int>::min()) ||
        rounded > double(std::numeric_limits<Int>::max()))
        return std::nullopt;
    return Int(rounded);
}

// Either the integer or the kind of error raised.
template <typename Int, typename Convert>
std::optional<Int> converted(Convert convert, std::optional<ErrorKind>* raised)
{
    try {
        return convert();
    } catch (const SimulatorError& error) {
        *raised = error.kind();
        return std::nullopt;
    }
}

template <typename Int, typename Convert>
void checkInteger(Convert convert, std::optional<double> number, const QString& text)
{
    std::optional<ErrorKind> raised;
    const std::optional<Int> value = converted<Int>(convert, &raised);
    if (!number) {
        require(raised == ErrorKind::TypeMismatch, "a text that is not numeric is a type mismatch",
                text);
        return;
    }
    const std::optional<Int> expected = expectedInteger<Int>(*number);
    if (!expected) {
        require(raised == ErrorKind::Overflow, "a number out of range is an overflow", text);
        return;
    }
    require(!raised, "a numeric text within range converts", text);
    require(*value == *expected, "the integer is the value rounded half to even", text);
}

void checkFormatRoundTrip(const Conversions& rules, double value)
{
    const QString text = rules.FormatDouble(value);
    if (value == 0) {
        require(text == QLatin1String("0"), "zero is formatted as 0", text);
        return;
    }
    // 15 significant digits hold within half a unit in the 15th digit; near the ends of the range
    // of a double the rounded text may lie beyond it, as it does for the largest double.
    const double magnitude = std::fabs(value);
    if (!(magnitude > 1e-300 && magnitude < 1e300))
        return;
    require(rules.IsNumeric(text), "a formatted number is numeric", text);
    const double back = rules.ToDouble(text);
    require(std::fabs(back - value) <= 6e-15 * magnitude,
            "a formatted number reads back to 15 significant digits", text);
}

void checkText(const Conversions& rules, const QString& text)
{
    const bool numeric = rules.IsNumeric(text);
    std::optional<double> number;
    try {
        number = rules.ToDouble(text);
    } catch (const SimulatorError& error) {
        require(error.kind() == ErrorKind::TypeMismatch, "ToDouble raises only a type mismatch",
                text);
    }
    require(numeric == number.has_value(), "IsNumeric is true exactly when ToDouble succeeds",
            text);
    if (number)
        require(std::isfinite(*number), "a number is finite", text);

    checkInteger<qint16>([&] { return rules.ToInt16(text); }, number, text);
    checkInteger<qint32>([&] { return rules.ToInt32(text); }, number, text);
    try {
        const qint16 value = rules.ToInt16(text);
        require(rules.ToInt16(Conversions::FormatInt16(value)) == value,
                "a 16-bit value formatted reads back as itself", text);
    } catch (const SimulatorError&) {
    }
    if (number)
        checkFormatRoundTrip(rules, *number);
}

// The leading number is read with a full stop whatever the locale, and never raises.
void checkLeadingNumber(const Conversions& cNotation, const QString& text)
{
    double leading = 0;
    try {
        leading = Conversions::LeadingNumber(text);
    } catch (...) {
        Fuzz::fail("LeadingNumber never raises", text);
    }
    require(!std::isnan(leading), "the leading number is a number", text);
    // A whole text in C notation without grouping is its own leading number.
    if (!text.contains(QLatin1Char(',')) && cNotation.IsNumeric(text))
        require(leading == cNotation.ToDouble(text),
                "the leading number of a number in C notation is that number", text);
}

void check16BitValue(const Conversions& rules, qint16 value)
{
    const QString text = Conversions::FormatInt16(value);
    require(text == QString::fromStdString(std::to_string(value)),
            "a 16-bit value is formatted in plain decimal", text);
    require(rules.ToInt16(text) == value, "a 16-bit value formatted reads back as itself", text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const Conversions cNotation{QLocale::c()};
    static const Conversions german{QLocale(QLocale::German, QLocale::Germany)};
    const auto* bytes = reinterpret_cast<const char*>(data);
    const auto length = qsizetype(size);
    for (const QString& text :
         {QString::fromUtf8(bytes, length), QString::fromLatin1(bytes, length)}) {
        for (const Conversions* rules : {&cNotation, &german})
            checkText(*rules, text);
        checkLeadingNumber(cNotation, text);
    }
    for (size_t i = 0; i + 1 < size; i += 2) {
        qint16 value = 0;
        std::memcpy(&value, data + i, sizeof value);
        check16BitValue(cNotation, value);
        check16BitValue(german, value);
    }
    for (size_t i = 0; i + 8 <= size; i += 8) {
        double value = 0;
        std::memcpy(&value, data + i, sizeof value);
        if (std::isfinite(value)) {
            checkFormatRoundTrip(cNotation, value);
            checkFormatRoundTrip(german, value);
        }
    }
    return 0;
}
