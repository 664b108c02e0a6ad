#include "app/WindowModule.h"

#include <QDir>
#include <QFileInfo>
#include <QLibrary>

QStringList WindowModule::places(const QString& programFolder)
{
    const QString name = QLatin1String(DRYX_WINDOW_MODULE);
    return {QDir::cleanPath(programFolder + QLatin1Char('/') + name),
            QDir::cleanPath(programFolder + QLatin1Char('/') +
                            QLatin1String(DRYX_MODULE_FROM_PROGRAM) + QLatin1Char('/') + name)};
}

WindowModule::Loaded WindowModule::load(const QString& programFolder)
{
    const QStringList candidates = places(programFolder);
    for (const QString& path : candidates) {
        if (!QFileInfo::exists(path))
            continue;
        QLibrary module(path);
        if (!module.load())
            return {nullptr, module.errorString()};
        if (const auto run = reinterpret_cast<EntryPoint>(module.resolve(entryPointName)))
            return {run, {}};
        return {nullptr, QStringLiteral("%1 is not the window's module: it has no %2")
                             .arg(path, QLatin1String(entryPointName))};
    }
    return {nullptr,
            QStringLiteral("%1 is missing (looked for it as %2)")
                .arg(QLatin1String(DRYX_WINDOW_MODULE), candidates.join(QLatin1String(" and ")))};
}
