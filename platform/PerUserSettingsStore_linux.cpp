#include "platform/PerUserSettingsStore.h"

#include "platform/IniFileSettingsStore.h"

#include <QStandardPaths>

QString perUserSettingsLocation(const QString& application)
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/VB and VBA Program Settings/") + application + QStringLiteral(".ini");
}

std::unique_ptr<SettingsStore> openPerUserSettingsStore(const QString& application)
{
    return std::make_unique<IniFileSettingsStore>(perUserSettingsLocation(application),
                                                  application);
}
