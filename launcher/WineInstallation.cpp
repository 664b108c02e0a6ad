#include "launcher/WineInstallation.h"

#include <QFileInfo>
#include <QStandardPaths>

namespace
{
std::optional<QString> found(const QString& onPath, const QString& fallback)
{
    const QString path = QStandardPaths::findExecutable(onPath);
    if (!path.isEmpty())
        return path;
    if (QFileInfo(fallback).isExecutable())
        return fallback;
    return std::nullopt;
}
} // namespace

std::optional<QString> WineInstallation::loader()
{
    return found(QStringLiteral("wine"), QStringLiteral("/usr/lib/wine/wine64"));
}

std::optional<QString> WineInstallation::server()
{
    return found(QStringLiteral("wineserver"), QStringLiteral("/usr/lib/wine/wineserver"));
}

QString WineInstallation::howToInstall()
{
    return QStringLiteral("Wine is not installed; to run Windows programs here, install it "
                          "(on Debian: sudo apt install wine)");
}
