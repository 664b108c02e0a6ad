#pragma once

#include "app/CommandInterpreter.h"
#include "app/DeferredReporter.h"
#include "app/Options.h"
#include "app/RunSummary.h"
#include "app/ScenarioScript.h"
#include "core/Clock.h"
#include "core/Conversions.h"
#include "core/LineFaults.h"
#include "core/OpenDryx.h"
#include "core/RunDesk.h"
#include "core/RunStatus.h"
#include "core/TimerFacility.h"
#include "launcher/ProcessLauncher.h"
#include "launcher/QProcessRunner.h"
#include "launcher/WinePrefix.h"
#include "platform/RecordFile.h"
#include "platform/RecordFileDevice.h"
#include "serial/DeferredCalls.h"

#include <QStringList>
#include <QTextStream>

#include <functional>
#include <memory>
#include <optional>

class ActionLog;
class DeskRecord;
class ErrorReporter;
class Form1;
class PacedLine;
class RunRecord;
class SerialControl;
class SetupSource;
class Simulator;
class StandardErrorReporter;
class TickTracePrinter;
class VirtualClock;
class VirtualLine;

// One program run as both modes share it: the clock, the settings store, the line, the form, the
// simulator, the operator's commands (and the scenario's steps) and what observes the run
// (summary, record, trace), wired as the options say. Needs a Qt application object and runs on
// its loop, or, in virtual time, on its own clock with no loop at all. The line window is its
// desk: it arms and takes back faults, runs scenarios and begins records while the program runs.
class Session final : public RunDesk
{
public:
    // Wires the run and loads it as the window loads: Form_Load, then the --set entries.
    // Throws UsageError when the options name what cannot be had (a settings file that does not
    // exist, a virtual line on a system without pseudo-terminals, a scenario script with a step
    // at fault) or an entry is refused. The script is read before anything else is done.
    // `errorsReported` counts the errors told so far, for `status`.
    static std::unique_ptr<Session> open(const Options& options, ErrorReporter& reporter,
                                         std::function<int()> errorsReported = {});
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    Form1& form() { return *m_form; }
    Simulator& simulator() { return *m_simulator; }
    // What `show` adds about the virtual line: its path, and the settings its reader has set.
    QStringList lineState() const;
    // How the run is going, as `status` and the end of the trace tell it.
    RunStatus status() const override;
    // The launcher picture's click, for the window and the `launch` command.
    OpenDryx& openDryx() { return *m_openDryx; }
    // The operator's commands; `quit` ends the program.
    CommandInterpreter& commands() { return *m_commands; }

    // --start, the scenario's steps, and --duration's end (which presses Stop, then ends the
    // program), all on the timers' clock: a step is carried out at its moment since now as a
    // tick is. False when --start could not start: nothing would ever be sent, and the program
    // ends at once.
    bool begin();
    // In virtual time: the whole run, at once, to its end (the end of --duration, a `quit`, or
    // the scenario's last step). `meanwhile` is called between the clock's steps: there is no
    // event loop to hear a signal.
    void runInVirtualTime(const std::function<void()>& meanwhile = {});
    // Ends the program at once, as "Close" does: no tick is handled after this, even one
    // already due in the event loop's current pass.
    void end();
    // Stop, then end: a signal, or --duration.
    void stopAndEnd();

    // The desk's side (the line window).
    std::optional<std::chrono::milliseconds> nextTickIn() const override;
    QList<LineFaults::Armed> armedFaults() const override { return m_faults.armedFaults(); }
    QString armFault(const LineFault& fault) override;
    bool takeBackFault(quint64 id) override { return m_faults.takeBack(id); }
    QList<ScenarioProblem> openScenario(const QString& path) override;
    void runScenario() override;
    void stopScenario() override;
    std::optional<QString> recordTo(const QString& path) override;
    void stopRecording() override;
    QString recordFile() const override;

    // Reads the setup from the INI file `path` as start-up does ("Open setup…"): the fields
    // and alarm buttons as a start-up on it would leave them; an error in it is reported as
    // start-up reports it. Refused (with the reason) while the run goes, or when the file
    // cannot be read.
    std::optional<QString> openSetup(const QString& path);
    // Where the setup was read from (a file path), and whether there was one there.
    QString setupLocation() const;
    bool setupFound() const;

    // The program's end: the line on the wire is finished, what is still to be told is told
    // (a failed record, a launch still waiting for Wine), the summary of the run written (data
    // strings sent and left out, bytes on the line, errors reported). Returns the exit status:
    // 1 when any error was reported, else 0.
    int finish(StandardErrorReporter& reporter);

private:
    Session(const Options& options, ErrorReporter& reporter);
    void load();
    // The scenario's next step, at its moment; each step queues the one after it, so that a
    // script of a million steps costs no more to begin than one of ten.
    void queueNextStep();
    void takeStep();
    // The scenario from its first step, its moments counted from `zero` on the timers' clock.
    void startScenario(std::chrono::milliseconds zero);
    void showAlarmsOfSetup();
    static std::unique_ptr<Clock> makeClock(const Options& options);

    Options m_options;
    std::optional<ScenarioScript> m_script;
    QString m_scriptFile;
    Conversions m_rules;
    std::unique_ptr<Clock> m_clock = makeClock(m_options);
    VirtualClock* m_virtualClock = nullptr; // the clock, in virtual time
    DeferredCalls m_later{*m_clock};        // from the event loop, after a tick
    DeferredReporter m_laterReporter;       // what a tick's observers report
    TimerFacility m_timers{*m_clock};
    LineFaults m_faults{m_options.seed};
    std::unique_ptr<SetupSource> m_setup;
    PacedLine* m_line = nullptr;          // owned by the port
    VirtualLine* m_virtualLine = nullptr; // the line's device, when it is the virtual line
    std::unique_ptr<SerialControl> m_port;
    std::unique_ptr<Form1> m_form;
    std::unique_ptr<Simulator> m_simulator;
    RunSummary m_summary;
    std::unique_ptr<RunRecord> m_record;
    std::unique_ptr<ActionLog> m_actionLog;
    std::unique_ptr<TickTracePrinter> m_trace;
    std::unique_ptr<DeskRecord> m_deskRecord;
    QProcessRunner m_processRunner;
    WinePrefix m_winePrefix{m_processRunner};
    ProcessLauncher m_launcher{m_winePrefix};
    std::unique_ptr<OpenDryx> m_openDryx;
    // The answers to commands and the trace, in order, never holding up the line.
    std::shared_ptr<RecordFile> m_standardOutput = RecordFile::standardOutput();
    RecordFileDevice m_outDevice{m_standardOutput};
    QTextStream m_out{&m_outDevice};
    std::unique_ptr<CommandInterpreter> m_commands;
    std::function<int()> m_errorsReported;
    std::chrono::milliseconds m_startUp{0};    // on the timers' clock
    std::chrono::milliseconds m_scriptZero{0}; // when the scenario's moments count from
    int m_stepsDone = 0;                       // of the scenario's
    int m_scenarioRuns = 0; // a step of an earlier run (stopped since) is not taken
    bool m_scenarioRunning = false;
    bool m_ended = false;
};
