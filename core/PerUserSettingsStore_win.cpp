#include "core/PerUserSettingsStore.h"

#include <QSettings>

namespace
{
// The registry keeps each value as the text it was given; QSettings hands it back unchanged.
class RegistrySettingsStore : public SettingsStore
{
public:
    explicit RegistrySettingsStore(const QString& application)
        : m_key(perUserSettingsLocation(application))
    {
    }
    std::optional<QString> value(const QString&, const QString& section,
                                 const QString& key) const override
    {
        QSettings registry(m_key, QSettings::NativeFormat);
        const QString path = section + QLatin1Char('/') + key;
        if (!registry.contains(path))
            return std::nullopt;
        return registry.value(path).toString();
    }
    QString location() const override { return m_key; }
    std::optional<QString> unavailable() const override
    {
        const QSettings registry(m_key, QSettings::NativeFormat);
        if (registry.allKeys().isEmpty())
            return QStringLiteral("there is no setup at %1").arg(m_key);
        return std::nullopt;
    }

private:
    QString m_key;
};
} // namespace

QString perUserSettingsLocation(const QString& application)
{
    return QStringLiteral("HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\") +
           application;
}

std::unique_ptr<SettingsStore> openPerUserSettingsStore(const QString& application)
{
    return std::make_unique<RegistrySettingsStore>(application);
}
