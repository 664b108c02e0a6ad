#pragma once

#include <QString>

// The entry fields by the names an operator may use: the control's own name (`Text1`, any
// case) or a friendly alias (`points`, `pagegap`, `gap`, `pages`, `alarms`, `port`,
// `terminator`). `Text5` is a display, not an entry field.
namespace FieldNames
{
// The field's number. Throws UsageError (said of `action`) for a name that is no entry field.
int entryField(const QString& name, const QString& action);
} // namespace FieldNames
