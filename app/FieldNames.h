#pragma once

#include <QString>

#include <optional>

// The entry fields by the names an operator may use: the control's own name (`Text1`, any
// case) or a friendly alias (`points`, `pagegap`, `gap`, `pages`, `alarms`, `port`,
// `terminator`). `Text5` is a display, not an entry field.
namespace FieldNames
{
// The field's number, or nothing (with why) for a name that is no entry field.
std::optional<int> entryField(const QString& name, QString* why);
} // namespace FieldNames
