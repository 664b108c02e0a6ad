#pragma once

#include "core/ComPortMapper.h"
#include "core/Launcher.h"

#include <QMap>
#include <QStringList>

// Records every start instead of starting anything; can be told to fail, or to start through
// Wine.
class RecordingLauncher : public Launcher
{
public:
    QStringList started;
    std::optional<QString> failure;
    bool throughWine = false;

    std::optional<QString> start(const QString& path) override
    {
        if (failure)
            return failure;
        started.append(path);
        return std::nullopt;
    }
    bool startsThroughWine(const QString&) const override { return throughWine; }
};

// Records every mapping instead of touching a Wine prefix; maps each port once, and answers at
// once.
class RecordingPorts : public ComPortMapper
{
public:
    QMap<int, QString> ports;
    bool answers = true; // false: every mapping stays under way, told nothing
    void map(int number, const QString& device, Done done) override
    {
        if (!answers)
            return;
        if (ports.value(number) == device) {
            done({Outcome::Result::AlreadyMapped, {}});
            return;
        }
        ports.insert(number, device);
        done({Outcome::Result::Mapped,
              QStringLiteral("COM%1 of ~/.wine \u2192 %2").arg(number).arg(device)});
    }
};
