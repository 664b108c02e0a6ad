#include "app/FieldNames.h"

#include "core/UsageError.h"

#include <QHash>

int FieldNames::entryField(const QString& name, const QString& action)
{
    static const QHash<QString, int> aliases = {
        {QStringLiteral("points"), 1},     {QStringLiteral("pagegap"), 2},
        {QStringLiteral("gap"), 3},        {QStringLiteral("stringgap"), 3},
        {QStringLiteral("pages"), 4},      {QStringLiteral("alarms"), 6},
        {QStringLiteral("port"), 7},       {QStringLiteral("comport"), 7},
        {QStringLiteral("terminator"), 8},
    };
    const QString key = name.trimmed().toLower();
    int field = aliases.value(key, 0);
    if (key.size() == 5 && key.startsWith(QLatin1String("text")) && key[4] >= QLatin1Char('1') &&
        key[4] <= QLatin1Char('8'))
        field = key[4].digitValue();
    if (field == 5)
        throw UsageError(action,
                         QStringLiteral("Text5 shows the switch count; it is not an entry field"));
    if (field == 0)
        throw UsageError(action,
                         QStringLiteral("no entry field \"%1\" (Text1, Text2, Text3, Text4, Text6, "
                                        "Text7, Text8 or points, pagegap, gap, pages, alarms, "
                                        "port, terminator)")
                             .arg(name));
    return field;
}
