#pragma once

#include "app/Options.h"
#include "app/RunSummary.h"
#include "core/Conversions.h"
#include "core/OpenDryx.h"
#include "core/TimerFacility.h"
#include "launcher/ProcessLauncher.h"
#include "launcher/QProcessRunner.h"
#include "launcher/WinePrefix.h"
#include "platform/MonotonicClock.h"

#include <QStringList>

#include <memory>

class ActionLog;
class Alarm;
class ErrorReporter;
class Form1;
class PacedLine;
class RunRecord;
class SerialControl;
class SettingsStore;
class Simulator;
class StandardErrorReporter;
class TickTracePrinter;
class VirtualLine;

// One program run as both modes share it: the clock, the settings store, the line, the form, the
// simulator and what observes the run (summary, record, trace), wired as the options say. Needs
// a Qt application object and runs on its loop.
class Session
{
public:
    // Wires the run and loads it as the window loads: Form_Load, then the --set entries.
    // Throws UsageError when the options name what cannot be had (a settings file that does not
    // exist, a virtual line on a system without pseudo-terminals) or an entry is refused.
    static std::unique_ptr<Session> open(const Options& options, ErrorReporter& reporter);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    Form1& form() { return *m_form; }
    Simulator& simulator() { return *m_simulator; }
    // What `show` adds about the virtual line: its path, and the settings its reader has set.
    QStringList lineState() const;
    // The launcher picture's click, for the window and the `launch` command.
    OpenDryx& openDryx() { return *m_openDryx; }

    // --start, and --duration's end (which presses Stop, then ends the program). False when
    // --start could not start: nothing would ever be sent, and the program ends at once.
    bool begin();
    // Ends the program at once, as "Close" does: no tick is handled after this, even one
    // already due in the event loop's current pass.
    void end();
    // Stop, then end: a signal, or --duration.
    void stopAndEnd();

    // The program's end: the line on the wire is finished, the summary of the run written
    // (data strings sent and left out, bytes on the line, errors reported). Returns the exit
    // status: 1 when any error was reported, else 0.
    int finish(StandardErrorReporter& reporter);

private:
    Session(const Options& options, ErrorReporter& reporter);
    void load();

    Options m_options;
    Conversions m_rules;
    MonotonicClock m_clock;
    TimerFacility m_timers{m_clock};
    std::unique_ptr<SettingsStore> m_store;
    PacedLine* m_line = nullptr;          // owned by the port
    VirtualLine* m_virtualLine = nullptr; // the line's device, when it is the virtual line
    std::unique_ptr<SerialControl> m_port;
    std::unique_ptr<Form1> m_form;
    std::unique_ptr<Simulator> m_simulator;
    RunSummary m_summary;
    std::unique_ptr<RunRecord> m_record;
    std::unique_ptr<ActionLog> m_actionLog;
    std::unique_ptr<TickTracePrinter> m_trace;
    QProcessRunner m_processRunner;
    WinePrefix m_winePrefix{m_processRunner};
    ProcessLauncher m_launcher{m_winePrefix};
    std::unique_ptr<OpenDryx> m_openDryx;
    std::unique_ptr<Alarm> m_durationEnd;
    ErrorReporter* m_reporter = nullptr;
};
