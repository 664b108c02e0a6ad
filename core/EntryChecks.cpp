#include "core/EntryChecks.h"

#include "core/Fields.h"

bool EntryChecks::isChecked(int field)
{
    return Fields::row(field).isEntry();
}

std::optional<EntryRefusal> EntryChecks::check(int field, const QString& text) const
{
    const std::optional<EntryLimits>& rule = Fields::row(field).check;
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
