#pragma once

#include "core/Conversions.h"
#include "core/EventLoopTimerFacility.h"
#include "app/Options.h"

#include <QString>

#include <cstdio>
#include <memory>
#include <optional>

class ErrorReporter;
class Form1;
class PacedSerialControl;
class SettingsStore;
class Simulator;
class VirtualLine;

// One program run as both modes share it: the settings store, the line, the form and the
// simulator, wired as the options say. Needs a Qt application object and runs on its loop.
class Session
{
public:
    // Nothing, with why, when the options name what cannot be had (a settings file that does
    // not exist, a virtual line on a system without pseudo-terminals).
    static std::unique_ptr<Session> create(const Options& options, ErrorReporter& reporter,
                                           QString* why);
    // create() and load() together, as both modes start: nothing when either fails, the
    // reason then written to standard error (the program ends with status 2).
    static std::unique_ptr<Session> open(const Options& options, ErrorReporter& reporter);
    ~Session();

    Form1& form() { return *m_form; }
    Simulator& simulator() { return *m_simulator; }
    PacedSerialControl& port() { return *m_port; }

    // Start-up as the window loads: Form_Load, then the --set entries. A refused entry is
    // returned as a one-line reason (the program then ends with status 2).
    std::optional<QString> load();
    // --start, and --duration's end (which presses Stop, then ends the program).
    void begin();
    // Ends the program at once, as "Close" does: no tick is handled after this, even one
    // already due in the event loop's current pass.
    void end();

private:
    Session(const Options& options);

    Options m_options;
    Conversions m_rules;
    std::unique_ptr<SettingsStore> m_store;
    EventLoopTimerFacility m_timers;
    std::unique_ptr<VirtualLine> m_line;
    std::unique_ptr<PacedSerialControl> m_port;
    std::unique_ptr<Form1> m_form;
    std::unique_ptr<Simulator> m_simulator;
};
