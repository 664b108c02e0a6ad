#pragma once

#include <QString>

#include <optional>

// Where Debian installs Wine: `wine` and `wineserver` on the PATH with the wine package, only the
// 64-bit loader and its server under /usr/lib/wine with wine64 alone.
namespace WineInstallation
{
std::optional<QString> loader();
std::optional<QString> server();
// What to tell an operator who has none.
QString howToInstall();
} // namespace WineInstallation
