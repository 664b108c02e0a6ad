#pragma once

#include <QString>

#include <optional>

// Starts another program, the way the launcher picture starts the monitoring application.
class Launcher
{
public:
    virtual ~Launcher() = default;

    // Starts the program file at `path` with no arguments, in a normal window, without waiting
    // for it to start, show itself or end. Returns why it could not be started, or nothing
    // when it was.
    virtual std::optional<QString> start(const QString& path) = 0;
    // Whether `path` is started through Wine here: a Windows path on a system that is not
    // Windows.
    virtual bool startsThroughWine(const QString& path) const = 0;
};
