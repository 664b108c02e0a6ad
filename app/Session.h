#pragma once

#include "app/Options.h"
#include "core/Conversions.h"
#include "core/OpenDryx.h"
#include "core/PreciseClock.h"
#include "core/TimerFacility.h"
#include "launcher/ProcessLauncher.h"
#include "launcher/QProcessRunner.h"
#include "launcher/WinePrefix.h"

#include <QStringList>

#include <memory>

class Alarm;
class ErrorReporter;
class Form1;
class PacedSerialControl;
class RunRecord;
class SettingsStore;
class Simulator;
class StandardErrorReporter;
class Timer;
class VirtualLine;
struct LineSettings;
struct TickRecord;

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
    void onTick(qint64 msSinceStart, const Timer& timer, const TickRecord& tick);
    void checkReceiver(const LineSettings& receiver);

    Options m_options;
    Conversions m_rules;
    PreciseClock m_clock;
    TimerFacility m_timers{m_clock};
    std::unique_ptr<SettingsStore> m_store;
    std::unique_ptr<PacedSerialControl> m_port;
    VirtualLine* m_virtualLine = nullptr; // owned by the port, when it is the line
    std::unique_ptr<Form1> m_form;
    std::unique_ptr<Simulator> m_simulator;
    QProcessRunner m_processRunner;
    WinePrefix m_winePrefix{m_processRunner};
    ProcessLauncher m_launcher{m_winePrefix};
    std::unique_ptr<OpenDryx> m_openDryx;
    std::unique_ptr<Alarm> m_durationEnd;
    std::unique_ptr<RunRecord> m_record;
    ErrorReporter* m_reporter = nullptr;
    qint64 m_dataStringsSent = 0;
    qint64 m_dataStringsLeftOut = 0;
};
