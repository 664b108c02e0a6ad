#pragma once

#include "core/SettingsStore.h"

#include <memory>

// The store the setup is read from, as the simulator holds it for the program's life: the one
// the options name at start-up, and another in its place once the operator opens another setup.
class SetupSource final : public SettingsStore
{
public:
    explicit SetupSource(std::unique_ptr<SettingsStore> store) : m_store(std::move(store)) {}

    void replace(std::unique_ptr<SettingsStore> store) { m_store = std::move(store); }

    std::optional<QString> value(const QString& application, const QString& section,
                                 const QString& key) const override
    {
        return m_store->value(application, section, key);
    }
    QString location() const override { return m_store->location(); }
    std::optional<QString> unavailable() const override { return m_store->unavailable(); }

private:
    std::unique_ptr<SettingsStore> m_store;
};
