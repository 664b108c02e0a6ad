#pragma once

#include "core/ComPortMapper.h"
#include "core/Dispatcher.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>

class Conversions;
class ErrorReporter;
class Form1;
class Launcher;

// The launcher picture's click: starts the monitoring application at its fixed path, without
// waiting, one instance per click. Where it runs through Wine and the tool sends on the virtual
// line with a link, a COM port of the Wine prefix is first made to stand for the link: number
// `--wine-com`, else the number in Com Port at the moment of the click. The mapping may take
// seconds; the program starts once it is done, and the run goes on meanwhile.
class OpenDryx
{
public:
    static constexpr const char* launchPath = R"(c:\program files\dryx\dryx.exe)";

    struct VirtualLine {
        QString link;               // empty: the line has no link to map
        std::optional<int> wineCom; // --wine-com
    };
    // Told what was done once the program has been started: "started c:\program
    // files\dryx\dryx.exe through Wine".
    using Started = std::function<void(const QString& whatWasDone)>;

    OpenDryx(const Form1& form, const Conversions& rules, Launcher& launcher, ComPortMapper& ports,
             ErrorReporter& reporter, std::optional<VirtualLine> line = std::nullopt);

    // Errors at the click and errors that come of it later (the mapping, the start) are
    // reported alike, as "Open DRYX: <reason> (program not started)".
    void Picture4_Click(Started started = {});
    // The program ends: each click still waiting for its COM port to be mapped is told to
    // `reporter` as an error (the program was not started), rather than dropped unsaid.
    void programEnds(ErrorReporter& reporter) const;

private:
    void mapComPort(const Started& started);
    void whenMapped(const ComPortMapper::Outcome& outcome, const Started& started);
    // Throws SimulatorError when the program cannot be started. `notice` is said once it is.
    void start(const std::optional<QString>& notice, const Started& started);

    const Form1& m_form;
    const Conversions& m_rules;
    Launcher& m_launcher;
    ComPortMapper& m_ports;
    ErrorReporter& m_reporter;
    Dispatcher m_dispatcher;
    std::optional<VirtualLine> m_line;
    QList<int> m_mapping; // the COM ports of the clicks waiting for their mapping, in order
};
