#pragma once

#include <QString>

#include <optional>

// Gives a COM port of the Windows programs on this system a Unix device to stand for, so that
// the monitoring application, run through Wine, finds the virtual line on its COM port.
class ComPortMapper
{
public:
    virtual ~ComPortMapper() = default;

    // Makes COM `number` stand for `device`. Returns what was done, for the operator ("COM1 of
    // ~/.wine -> /tmp/dryx-line"), or nothing when it stood for it already. Throws
    // SimulatorError(ErrorKind::LaunchFailed) when it cannot.
    virtual std::optional<QString> map(int number, const QString& device) = 0;
};
