#include "core/LineFault.h"

#include "core/ShownInput.h"
#include "core/UsageError.h"

#include <QStringList>

#include <array>

namespace
{
enum class Argument { None, Number, Text };

struct KindRow {
    LineFault::Kind kind;
    const char* name;
    Argument argument;
    const char* argumentName; // as help shows it
    qint64 largest;           // for a number
    const char* meaning;
};

// Each kind once: its name, what it takes, what it does.
constexpr std::array<KindRow, 9> kindTable{{
    {LineFault::Kind::Cut, "cut", Argument::None, "", 0, "the string stops mid-line"},
    {LineFault::Kind::DropLine, "drop-line", Argument::Number, "K", 32767,
     "line K of the string is left out"},
    {LineFault::Kind::Garble, "garble", Argument::Number, "K", 32767,
     "one byte of line K is changed"},
    {LineFault::Kind::NoTerminator, "no-terminator", Argument::None, "", 0,
     "the terminator line is left out"},
    {LineFault::Kind::ExtraLine, "extra-line", Argument::Text, "TEXT", 0,
     "a line TEXT comes before the terminator line"},
    {LineFault::Kind::WrongTerminator, "wrong-terminator", Argument::Text, "TEXT", 0,
     "the terminator line is TEXT instead"},
    {LineFault::Kind::Delay, "delay", Argument::Number, "MS", 600000,
     "the string's lines are held back MS ms"},
    {LineFault::Kind::Noise, "noise", Argument::Number, "N", 65536,
     "N random bytes come just before the string"},
    {LineFault::Kind::Break, "break", Argument::Number, "MS", 600000,
     "a break of MS ms, then the string"},
}};

const KindRow& rowOf(LineFault::Kind kind)
{
    for (const KindRow& row : kindTable)
        if (row.kind == kind)
            return row;
    return kindTable.front();
}

[[noreturn]] void refuse(const QString& message)
{
    throw UsageError(QStringLiteral("fault"), message);
}

// Words split on blanks; a word in double quotes keeps its blanks.
QStringList words(const QString& text)
{
    QStringList found;
    qsizetype i = 0;
    while (i < text.size()) {
        while (i < text.size() && text[i].isSpace())
            ++i;
        if (i >= text.size())
            break;
        if (text[i] == QLatin1Char('"')) {
            const qsizetype close = text.indexOf(QLatin1Char('"'), i + 1);
            if (close < 0)
                refuse(QStringLiteral("a quote is not closed"));
            found.append(text.mid(i + 1, close - i - 1));
            i = close + 1;
        } else {
            const qsizetype start = i;
            while (i < text.size() && !text[i].isSpace())
                ++i;
            found.append(text.mid(start, i - start));
        }
    }
    return found;
}
} // namespace

LineFault LineFault::parse(const QString& arguments)
{
    QStringList given = words(arguments);
    if (given.isEmpty())
        refuse(QStringLiteral("expected a kind of fault, e.g. fault cut (help lists them)"));
    const QString name = given.takeFirst().toLower();
    const KindRow* row = nullptr;
    for (const KindRow& candidate : kindTable)
        if (name == QLatin1String(candidate.name))
            row = &candidate;
    if (!row)
        refuse(QStringLiteral("no fault is called \"%1\" (help lists them)")
                   .arg(ShownInput::echoed(name)));
    LineFault fault;
    fault.kind = row->kind;
    if (!given.isEmpty() && given.size() > (row->argument == Argument::None ? 0 : 1) &&
        given.last().startsWith(QLatin1Char('x'))) {
        bool ok = false;
        fault.dataStrings = given.takeLast().mid(1).toInt(&ok);
        if (!ok || fault.dataStrings < 1 || fault.dataStrings > 1000000)
            refuse(QStringLiteral("xN counts data strings, from x1 to x1000000"));
    }
    const QString usage =
        QStringLiteral("%1 %2").arg(QLatin1String(row->name), QLatin1String(row->argumentName));
    if (given.size() != (row->argument == Argument::None ? 0 : 1))
        refuse(QStringLiteral("expected: fault %1 [xN]").arg(usage.trimmed()));
    if (row->argument == Argument::Number) {
        bool ok = false;
        fault.number = given.first().toLongLong(&ok);
        const qint64 smallest = fault.kind == Kind::DropLine || fault.kind == Kind::Garble ? 1 : 0;
        if (!ok || fault.number < smallest || fault.number > row->largest)
            refuse(QStringLiteral("%1 is a whole number from %2 to %3")
                       .arg(QLatin1String(row->argumentName))
                       .arg(smallest)
                       .arg(row->largest));
    } else if (row->argument == Argument::Text) {
        fault.text = given.first();
    }
    return fault;
}

QString LineFault::kindName() const
{
    return QLatin1String(rowOf(kind).name);
}

QString LineFault::describe() const
{
    const KindRow& row = rowOf(kind);
    QString shown = kindName();
    if (row.argument == Argument::Number)
        shown += QLatin1Char(' ') + QString::number(number);
    else if (row.argument == Argument::Text)
        shown += QStringLiteral(" \"%1\"").arg(ShownInput::echoed(text));
    if (dataStrings > 1)
        shown += QStringLiteral(" x%1").arg(dataStrings);
    return shown;
}

QString LineFault::list(const QString& indent)
{
    QString listed;
    for (const KindRow& row : kindTable) {
        const QString usage =
            QStringLiteral("%1 %2").arg(QLatin1String(row.name), QLatin1String(row.argumentName));
        listed += indent + usage.trimmed().leftJustified(22) + QLatin1String(row.meaning) +
                  QLatin1Char('\n');
    }
    return listed;
}

QList<LineFault::KindEntry> LineFault::kinds()
{
    QList<KindEntry> entries;
    for (const KindRow& row : kindTable)
        entries.append(
            {QLatin1String(row.name), QLatin1String(row.argumentName), QLatin1String(row.meaning)});
    return entries;
}
