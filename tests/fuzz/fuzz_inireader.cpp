// The INI reader on any bytes, and on a setup written from them that must read back as written.
#include "platform/IniFileSettingsStore.h"
#include "tests/fuzz/FuzzCheck.h"

#include <QHash>
#include <QStringList>

#include <cstdint>

using Fuzz::require;

namespace
{

void checkAnyContents(const QByteArray& contents)
{
    const QHash<QString, QString> values = IniFileSettingsStore::parse(contents);
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        require(it.key().contains(QLatin1Char('/')), "a key is \"section/key\"", it.key());
        require(it.key() == it.key().toLower(), "a key is lower case", it.key());
        require(!it.key().contains(QLatin1Char('\n')) && !it.value().contains(QLatin1Char('\n')),
                "keys and values lie within one line", it.key());
    }
}

// How a value is written: wrapped in double quotes with " and \ escaped, which holds any
// value; or as it stands, bare or with blanks around, which holds a value without blanks around
// that is not itself wrapped in double quotes.
enum class Form { Quoted, Bare, Padded };

bool holdsBare(const QString& value)
{
    const bool blankAround =
        !value.isEmpty() && (value.front().isSpace() || value.back().isSpace());
    const bool wrapped =
        value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"'));
    return !blankAround && !wrapped;
}

QString written(const QString& value, Form form)
{
    if (form == Form::Bare && holdsBare(value))
        return value;
    if (form == Form::Padded && holdsBare(value))
        return QLatin1String(" \t") + value + QLatin1String("  ");
    QString quoted = value;
    quoted.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    quoted.replace(QLatin1Char('"'), QLatin1String("\\\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

// A name as it may stand in a file: on one line, without blanks around; a key without "=" and
// not taken for a section or a comment.
QString sectionName(const QString& text)
{
    return text.trimmed();
}

QString keyName(QString text)
{
    text.remove(QLatin1Char('='));
    text = text.trimmed();
    if (text.startsWith(QLatin1Char('[')) || text.startsWith(QLatin1Char(';')) ||
        text.startsWith(QLatin1Char('#')))
        text.prepend(QLatin1Char('k'));
    return text;
}

// The input after its first byte, as UTF-8 lines taken three at a time: section, key, value.
// The first byte chooses how each value is written, the line ends, and comments in between.
void checkWrittenSetup(const uint8_t* data, size_t size)
{
    if (size == 0)
        return;
    const uint8_t choices = data[0];
    const QStringList parts =
        QString::fromUtf8(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1))
            .split(QLatin1Char('\n'));
    const QString lineEnd = choices & 0x80 ? QStringLiteral("\r\n") : QStringLiteral("\n");
    QString file;
    QHash<QString, QString> expected;
    for (qsizetype i = 0; i + 2 < parts.size(); i += 3) {
        const QString section = sectionName(parts[i]);
        const QString key = keyName(parts[i + 1]);
        const QString& value = parts[i + 2];
        const Form form = Form((choices >> ((i / 3) % 3 * 2)) % 3);
        file += QLatin1Char('[') + section + QLatin1Char(']') + lineEnd;
        if (choices & 0x40)
            file += QLatin1String("; a comment") + lineEnd + QLatin1String("  # another") +
                    lineEnd + lineEnd;
        file += key + QLatin1Char('=') + written(value, form) + lineEnd;
        expected.insert(section.toLower() + QLatin1Char('/') + key.toLower(), value);
    }
    const QHash<QString, QString> values = IniFileSettingsStore::parse(file.toUtf8());
    // The message is made only on a failure: made for every key, it would cost more than the
    // reading itself.
    for (auto it = expected.cbegin(); it != expected.cend(); ++it)
        if (!values.contains(it.key()) || values.value(it.key()) != it.value())
            Fuzz::fail(
                "a value reads back as written",
                QStringLiteral("%1: written \"%2\", read \"%3\"")
                    .arg(it.key(), it.value(), values.value(it.key(), QStringLiteral("nothing"))));
    require(values.size() == expected.size(), "only what was written is read", file);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    checkAnyContents(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    checkWrittenSetup(data, size);
    return 0;
}
