#pragma once

#include "core/SettingsStore.h"

#include <memory>

// The per-user store where the monitoring application keeps its setup, as this system keeps
// it: the INI file "<config>/VB and VBA Program Settings/<application>.ini" with one [section]
// per section, <config> being $XDG_CONFIG_HOME or ~/.config.
std::unique_ptr<SettingsStore> openPerUserSettingsStore(const QString& application);
QString perUserSettingsLocation(const QString& application);
