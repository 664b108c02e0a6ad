// The entry checks on any text: a field accepts exactly the numbers within its limits, as the
// operator's notation reads them.
#include "core/Conversions.h"
#include "core/EntryChecks.h"
#include "tests/fuzz/FuzzCheck.h"

#include <array>
#include <cstdint>
#include <optional>

using Fuzz::require;

namespace
{

struct Limits {
    int field;
    double low;
    std::optional<double> high; // none: no upper limit
};

// The limits as the operator is told them, kept apart from the checks' own table so that the
// two have to agree.
constexpr std::array<Limits, 7> fieldLimits{{
    {1, 10, 200},
    {2, 1, 200},
    {3, 500, 2000},
    {4, 1, 2},
    {6, 0, std::nullopt},
    {7, 1, 8},
    {8, 0, std::nullopt},
}};

using Validate = std::optional<EntryRefusal> (EntryChecks::*)(const QString&) const;

// Each field's own check, by the name the window calls it.
constexpr std::array<std::pair<int, Validate>, 7> namedChecks{{
    {1, &EntryChecks::Text1_Validate},
    {2, &EntryChecks::Text2_Validate},
    {3, &EntryChecks::Text3_Validate},
    {4, &EntryChecks::Text4_Validate},
    {6, &EntryChecks::Text6_Validate},
    {7, &EntryChecks::Text7_Validate},
    {8, &EntryChecks::Text8_Validate},
}};

bool withinLimits(const Conversions& rules, const Limits& limits, const QString& text)
{
    if (!rules.IsNumeric(text))
        return false;
    const double value = rules.ToDouble(text);
    return value >= limits.low && (!limits.high || value <= *limits.high);
}

void checkText(const Conversions& rules, const QString& text)
{
    const EntryChecks checks(rules);
    for (const Limits& limits : fieldLimits) {
        const std::optional<EntryRefusal> refusal = checks.check(limits.field, text);
        require(refusal.has_value() != withinLimits(rules, limits, text),
                "a field accepts exactly the numbers within its limits", text);
        if (refusal)
            require(!refusal->title.isEmpty() && !refusal->message.isEmpty(), "a refusal says why",
                    text);
        require(EntryChecks::isChecked(limits.field), "every entry field is checked", text);
    }
    for (const auto& [field, validate] : namedChecks)
        require((checks.*validate)(text) == checks.check(field, text),
                "a field's named check is the check of that field", text);
    require(!EntryChecks::isChecked(5) && !checks.check(5, text),
            "Text5, a display, accepts everything", text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const Conversions cNotation{QLocale::c()};
    static const Conversions german{QLocale(QLocale::German, QLocale::Germany)};
    const auto* bytes = reinterpret_cast<const char*>(data);
    const auto length = qsizetype(size);
    for (const QString& text :
         {QString::fromUtf8(bytes, length), QString::fromLatin1(bytes, length)})
        for (const Conversions* rules : {&cNotation, &german})
            checkText(*rules, text);
    return 0;
}
