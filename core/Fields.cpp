#include "core/Fields.h"

#include "core/ShownInput.h"
#include "core/UsageError.h"

#include <QStringList>

#include <array>
#include <stdexcept>

namespace Fields
{
namespace
{
constexpr std::array<const char*, 1> points{"points"};
constexpr std::array<const char*, 1> pageGap{"pagegap"};
constexpr std::array<const char*, 2> dataStringGap{"gap", "stringgap"};
constexpr std::array<const char*, 1> pages{"pages"};
constexpr std::array<const char*, 1> alarms{"alarms"};
constexpr std::array<const char*, 2> comPort{"port", "comport"};
constexpr std::array<const char*, 1> terminator{"terminator"};

// clang-format off
const std::array<FieldRow, count> table{{
    {1, "Number of Data Points/Page", "30", points,
     EntryLimits{10, 200, "Invalid Data Points", "Please insert a number >=10  or  <200."}},
    {2, "Page Gap mS", "10", pageGap,
     EntryLimits{1, 200, "Invalid Page Gap", "Please insert a number from 1 to 200."}},
    {3, "Data String Gap mS", "500", dataStringGap,
     EntryLimits{500, 2000, "Invalid Data String Gap", "Please insert a number from 500 to 2000."}},
    {4, "Number of Data Pages", "1", pages,
     EntryLimits{1, 2, "Invalid Page Number", "Please insert a number from 1 to 2."}},
    {5, "Switch Ticks", "Text5", {}, std::nullopt},
    {6, "Number of Alarms", "1", alarms,
     EntryLimits{0, std::nullopt, "Invalid Alarm Number", "Please insert a valid Alarm number."}},
    {7, "Com Port", "1", comPort,
     EntryLimits{1, 8, "Invalid Port Number", "Please insert a number from 1 to 8."}},
    {8, "Data Terminator", "63536", terminator,
     EntryLimits{0, std::nullopt, "Invalid Data Terminator", "Please insert a Data Terminator."}},
}};
// clang-format on

QStringList entryNames()
{
    QStringList names;
    for (const FieldRow& field : table)
        if (field.isEntry())
            names.append(field.name());
    return names;
}

QStringList aliasNames()
{
    QStringList names;
    for (const FieldRow& field : table)
        if (!field.aliases.empty())
            names.append(QLatin1String(field.aliases.front()));
    return names;
}

QStringList displayNames()
{
    QStringList names;
    for (const FieldRow& field : table)
        if (!field.isEntry())
            names.append(field.name());
    return names;
}
} // namespace

std::span<const FieldRow> all()
{
    return table;
}

const FieldRow& row(int number)
{
    if (number < 1 || number > count)
        throw std::out_of_range("no such field");
    return table[std::size_t(number - 1)];
}

int entryField(const QString& name, const QString& action)
{
    const QString key = name.trimmed();
    for (const FieldRow& field : table) {
        bool named = key.compare(field.name(), Qt::CaseInsensitive) == 0;
        for (const char* alias : field.aliases)
            named = named || key.compare(QLatin1String(alias), Qt::CaseInsensitive) == 0;
        if (!named)
            continue;
        if (!field.isEntry())
            throw UsageError(action, QStringLiteral("%1 shows the switch count; it is not an entry "
                                                    "field")
                                         .arg(field.name()));
        return field.number;
    }
    throw UsageError(action,
                     QStringLiteral("no entry field \"%1\" (%2 or %3)")
                         .arg(ShownInput::echoed(name), entryNames().join(QLatin1String(", ")),
                              aliasNames().join(QLatin1String(", "))));
}

QString namingRule()
{
    return QStringLiteral("Text1..Text%1 but %2, or %3")
        .arg(count)
        .arg(displayNames().join(QLatin1String(", ")), aliasNames().join(QLatin1String(", ")));
}
} // namespace Fields
