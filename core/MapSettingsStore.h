#pragma once

#include "core/SettingsStore.h"

#include <QMap>

// A store held in memory, keyed "application/section/key"; for tests and examples.
class MapSettingsStore : public SettingsStore
{
public:
    void set(const QString& application, const QString& section, const QString& key,
             const QString& text)
    {
        m_values.insert(path(application, section, key), text);
    }
    std::optional<QString> value(const QString& application, const QString& section,
                                 const QString& key) const override
    {
        const auto found = m_values.constFind(path(application, section, key));
        if (found == m_values.constEnd())
            return std::nullopt;
        return *found;
    }
    QString location() const override { return QStringLiteral("the built-in setup"); }

private:
    static QString path(const QString& application, const QString& section, const QString& key)
    {
        return (application + QLatin1Char('/') + section + QLatin1Char('/') + key).toLower();
    }
    QMap<QString, QString> m_values;
};
