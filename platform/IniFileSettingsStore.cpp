#include "platform/IniFileSettingsStore.h"

#include "core/ShownInput.h"
#include "core/TextDecoding.h"
#include "platform/RegularFile.h"

namespace
{

QString unquoted(const QString& value)
{
    if (value.size() < 2 || !value.startsWith(QLatin1Char('"')) ||
        !value.endsWith(QLatin1Char('"')))
        return value;
    QString text;
    const QString inner = value.mid(1, value.size() - 2);
    for (qsizetype i = 0; i < inner.size(); ++i) {
        if (inner[i] == QLatin1Char('\\') && i + 1 < inner.size() &&
            (inner[i + 1] == QLatin1Char('"') || inner[i + 1] == QLatin1Char('\\')))
            ++i;
        text += inner[i];
    }
    return text;
}

} // namespace

IniFileSettingsStore::IniFileSettingsStore(QString path, QString application)
    : m_path(std::move(path)), m_application(std::move(application))
{
    const RegularFile file = RegularFile::read(m_path, largestFile);
    const QString shownPath = ShownInput::escaped(m_path);
    if (file.result == RegularFile::Result::Absent)
        m_unavailable = QStringLiteral("there is no setup at %1").arg(shownPath);
    else if (file.result != RegularFile::Result::Read)
        m_unavailable =
            QStringLiteral("the setup at %1 %2").arg(shownPath, file.whyNot(largestFile));
    else
        m_values = parse(file.contents);
}

QHash<QString, QString> IniFileSettingsStore::parse(const QByteArray& contents)
{
    QHash<QString, QString> values;
    QString section;
    for (QString line : decodeText(contents).split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char(';')) ||
            trimmed.startsWith(QLatin1Char('#')))
            continue;
        if (trimmed.startsWith(QLatin1Char('[')) && trimmed.endsWith(QLatin1Char(']'))) {
            section = trimmed.mid(1, trimmed.size() - 2).trimmed().toLower();
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals < 0)
            continue;
        const QString key = line.left(equals).trimmed().toLower();
        values.insert(section + QLatin1Char('/') + key, unquoted(line.mid(equals + 1).trimmed()));
    }
    return values;
}

std::optional<QString> IniFileSettingsStore::value(const QString& application,
                                                   const QString& section, const QString& key) const
{
    if (!m_application.isEmpty() && application.compare(m_application, Qt::CaseInsensitive) != 0)
        return std::nullopt;
    const auto found = m_values.constFind(section.toLower() + QLatin1Char('/') + key.toLower());
    if (found == m_values.constEnd())
        return std::nullopt;
    return *found;
}
