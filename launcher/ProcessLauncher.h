#pragma once

#include "core/Launcher.h"
#include "launcher/WineInstallation.h"

#include <functional>

class WinePrefix;

// Starts programs as detached processes: they live on after this program ends. A Windows path on
// a system that is not Windows is started through Wine: the Wine loader with the path as its one
// argument, no shell, the user's environment (so WINEPREFIX is honoured), one instance per
// start; Wine's own messages go nowhere, not into the tool's terminal. Since Wine would start
// and then fail on its own, a program that is not in the prefix is refused here and said so.
class ProcessLauncher : public Launcher
{
public:
    using WineLoader = std::function<std::optional<QString>()>;

    explicit ProcessLauncher(const WinePrefix& prefix,
                             WineLoader wineLoader = &WineInstallation::loader);

    std::optional<QString> start(const QString& path) override;
    bool startsThroughWine(const QString& path) const override;

    // "c:\...", "c:/...", "\\server\share\...".
    static bool isWindowsPath(const QString& path);

private:
    const WinePrefix& m_prefix;
    WineLoader m_wineLoader;
};
