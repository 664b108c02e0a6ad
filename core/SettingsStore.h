#pragma once

#include <QString>

#include <optional>

// Where the monitoring application keeps its setup: texts by application, section and key.
class SettingsStore
{
public:
    virtual ~SettingsStore() = default;

    // The stored text exactly as stored, or nothing when the key is absent.
    virtual std::optional<QString> value(const QString& application, const QString& section,
                                         const QString& key) const = 0;
    // Where the store lives, for messages: a file path or a registry key.
    virtual QString location() const = 0;
    // Why the store cannot be read at all (it does not exist, it cannot be opened), in the
    // operator's words; nothing when it can.
    virtual std::optional<QString> unavailable() const { return std::nullopt; }

    // The absent key reads as the empty text.
    QString read(const QString& application, const QString& section, const QString& key) const
    {
        return value(application, section, key).value_or(QString());
    }
};
