#include "app/WindowModule.h"

#include <QDir>
#include <QFileInfo>
#include <QLibrary>

QStringList WindowModule::places(const QString& programFolder)
{
    const QString name = QLatin1String(DRYX_WINDOW_MODULE);
    QStringList places{QDir::cleanPath(programFolder + QLatin1Char('/') + name),
                       QDir::cleanPath(programFolder + QLatin1Char('/') +
                                       QLatin1String(DRYX_MODULE_FROM_PROGRAM) + QLatin1Char('/') +
                                       name)};
    places.removeDuplicates(); // Windows: the program's folder alone
    return places;
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
                             .arg(QDir::toNativeSeparators(path), QLatin1String(entryPointName))};
    }
    QStringList shown;
    for (const QString& path : candidates)
        shown.append(QDir::toNativeSeparators(path));
    return {nullptr,
            QStringLiteral("%1 is missing (looked for it as %2)")
                .arg(QLatin1String(DRYX_WINDOW_MODULE), shown.join(QLatin1String(" and ")))};
}
