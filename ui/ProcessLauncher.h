#pragma once

#include "ui/Launcher.h"

// Starts programs as detached processes: they live on after this program ends.
class ProcessLauncher : public Launcher
{
public:
    std::optional<QString> start(const QString& path) override;
};
