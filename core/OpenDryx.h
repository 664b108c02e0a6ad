#pragma once

#include <QString>

#include <optional>

class ComPortMapper;
class Conversions;
class ErrorReporter;
class Form1;
class Launcher;

// The launcher picture's click: starts the monitoring application at its fixed path, without
// waiting, one instance per click. Where it runs through Wine and the tool sends on the virtual
// line with a link, a COM port of the Wine prefix is first made to stand for the link: number
// `--wine-com`, else the number in Com Port at the moment of the click.
class OpenDryx
{
public:
    static constexpr const char* launchPath = R"(c:\program files\dryx\dryx.exe)";

    struct VirtualLine {
        QString link;               // empty: the line has no link to map
        std::optional<int> wineCom; // --wine-com
    };

    OpenDryx(const Form1& form, const Conversions& rules, Launcher& launcher, ComPortMapper& ports,
             ErrorReporter& reporter, std::optional<VirtualLine> line = std::nullopt);

    // Throws SimulatorError when the program cannot be started (or its COM port not mapped).
    // Returns what was done, for a confirmation: "started c:\program files\dryx\dryx.exe
    // through Wine".
    QString Picture4_Click();

private:
    // What was mapped, for the operator, if anything.
    std::optional<QString> mapComPort();

    const Form1& m_form;
    const Conversions& m_rules;
    Launcher& m_launcher;
    ComPortMapper& m_ports;
    ErrorReporter& m_reporter;
    std::optional<VirtualLine> m_line;
};
