#pragma once

#include "core/Conversions.h"
#include "core/TextField.h"

// Converts a field's text with the conversion rules, and says which field held what when
// the text does not convert: `Com Port "abc" is not a number`.
class FieldReader
{
public:
    explicit FieldReader(const Conversions& rules) : m_rules(rules) {}

    qint16 int16(const TextField& field) const;
    qint32 int32(const TextField& field) const;
    double number(const TextField& field) const;

private:
    template <typename Convert> auto read(const TextField& field, Convert convert) const;

    const Conversions& m_rules;
};
