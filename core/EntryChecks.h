#pragma once

#include "core/Conversions.h"

#include <QString>

#include <optional>

// Why an entry was refused: the title and text of the message box the operator sees.
struct EntryRefusal {
    QString title;
    QString message;
    bool operator==(const EntryRefusal&) const = default;
};

// The checks run when the focus is about to leave an entry field. An entry is accepted when
// the whole text is a number and its value, as the simulator reads it (the user's separators),
// lies within the field's limits (inclusive, fractions counting). Text5 is a display and has
// no check.
class EntryChecks
{
public:
    explicit EntryChecks(const Conversions& rules) : m_rules(rules) {}

    std::optional<EntryRefusal> Text1_Validate(const QString& text) const { return check(1, text); }
    std::optional<EntryRefusal> Text2_Validate(const QString& text) const { return check(2, text); }
    std::optional<EntryRefusal> Text3_Validate(const QString& text) const { return check(3, text); }
    std::optional<EntryRefusal> Text4_Validate(const QString& text) const { return check(4, text); }
    std::optional<EntryRefusal> Text6_Validate(const QString& text) const { return check(6, text); }
    std::optional<EntryRefusal> Text7_Validate(const QString& text) const { return check(7, text); }
    std::optional<EntryRefusal> Text8_Validate(const QString& text) const { return check(8, text); }

    // The check of field `field` (1..8); field 5, having none, accepts everything.
    std::optional<EntryRefusal> check(int field, const QString& text) const;
    static bool isChecked(int field);

private:
    const Conversions& m_rules;
};
