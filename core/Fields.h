#pragma once

#include <QString>

#include <optional>
#include <span>

// What the check of an entry field accepts, and the message box that refuses the rest.
struct EntryLimits {
    double low;
    std::optional<double> high; // none: no upper limit
    const char* title;
    const char* message;
};

// One of the window's eight fields.
struct FieldRow {
    int number;               // Text<number>
    const char* caption;      // the label beside it, and the field's name in messages
    const char* creationText; // what it holds as the window is created
    // Other names an operator may give it in a command; help lists the first.
    std::span<const char* const> aliases;
    std::optional<EntryLimits> check; // an entry field's; Text5 is a display and has none

    QString name() const { return QStringLiteral("Text%1").arg(number); }
    bool isEntry() const { return check.has_value(); }
};

// The fields, one row each: everything that names, shows, checks or lists a field reads it here.
namespace Fields
{
inline constexpr int count = 8;

std::span<const FieldRow> all();
// Field 1..8; any other number is a programming error (std::out_of_range).
const FieldRow& row(int number);

// The entry field `name` stands for: the control's own name (`Text1`, any case) or an alias
// (`points`, ...). Throws UsageError, said of `action`, for a name that is no entry field.
int entryField(const QString& name, const QString& action);
// How the entry fields may be named, for help texts: "Text1..Text8 but Text5, or points,
// pagegap, ...".
QString namingRule();
} // namespace Fields
