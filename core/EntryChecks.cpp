#include "core/EntryChecks.h"

#include <array>

namespace
{

struct EntryRule {
    int field;
    double low;
    std::optional<double> high;
    const char* title;
    const char* message;
};

// One row per checked field: limits, and the message box the operator sees on a refusal.
const std::array<EntryRule, 7> entryRules{{
    {1, 10, 200, "Invalid Data Points", "Please insert a number >=10  or  <200."},
    {2, 1, 200, "Invalid Page Gap", "Please insert a number from 1 to 200."},
    {3, 500, 2000, "Invalid Data String Gap", "Please insert a number from 500 to 2000."},
    {4, 1, 2, "Invalid Page Number", "Please insert a number from 1 to 2."},
    {6, 0, std::nullopt, "Invalid Alarm Number", "Please insert a valid Alarm number."},
    {7, 1, 8, "Invalid Port Number", "Please insert a number from 1 to 8."},
    {8, 0, std::nullopt, "Invalid Data Terminator", "Please insert a Data Terminator."},
}};

const EntryRule* ruleFor(int field)
{
    for (const EntryRule& rule : entryRules)
        if (rule.field == field)
            return &rule;
    return nullptr;
}

} // namespace

bool EntryChecks::isChecked(int field)
{
    return ruleFor(field) != nullptr;
}

std::optional<EntryRefusal> EntryChecks::check(int field, const QString& text) const
{
    const EntryRule* rule = ruleFor(field);
    if (!rule)
        return std::nullopt;
    // The limits are held against the value the simulator will use, in the user's notation.
    const bool refused = !m_rules.IsNumeric(text) || [&] {
        const double value = m_rules.ToDouble(text);
        return value < rule->low || (rule->high && value > *rule->high);
    }();
    if (!refused)
        return std::nullopt;
    return EntryRefusal{QLatin1String(rule->title), QLatin1String(rule->message)};
}
