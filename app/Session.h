#pragma once

#include "app/Options.h"
#include "core/Conversions.h"
#include "core/PreciseClock.h"
#include "core/TimerFacility.h"

#include <memory>

class Alarm;
class ErrorReporter;
class Form1;
class PacedSerialControl;
class SettingsStore;
class Simulator;

// One program run as both modes share it: the clock, the settings store, the line, the form and
// the simulator, wired as the options say. Needs a Qt application object and runs on its loop.
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

    // --start, and --duration's end (which presses Stop, then ends the program).
    void begin();
    // Ends the program at once, as "Close" does: no tick is handled after this, even one
    // already due in the event loop's current pass.
    void end();

private:
    Session(const Options& options, ErrorReporter& reporter);
    void load();

    Options m_options;
    Conversions m_rules;
    PreciseClock m_clock;
    TimerFacility m_timers{m_clock};
    std::unique_ptr<SettingsStore> m_store;
    std::unique_ptr<PacedSerialControl> m_port;
    std::unique_ptr<Form1> m_form;
    std::unique_ptr<Simulator> m_simulator;
    std::unique_ptr<Alarm> m_durationEnd;
};
