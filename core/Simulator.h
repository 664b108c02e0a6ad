#pragma once

#include "core/AlarmButtons.h"
#include "core/Conversions.h"
#include "core/DataSetSwitchers.h"
#include "core/Dispatcher.h"
#include "core/EntryChecks.h"
#include "core/LineObserver.h"
#include "core/PageTransmitters.h"
#include "core/RunControl.h"
#include "core/StartupConfiguration.h"

#include <chrono>
#include <vector>

class Form1;
class RunObserver;
class SettingsStore;
class TimerFacility;

// The simulator as the window or the command reader drives it: every operator action and
// every timer tick goes to its handler through the one dispatcher, and the run's observers hear
// of each.
class Simulator final : private LineObserver
{
public:
    Simulator(Form1& form, const SettingsStore& store, TimerFacility& timers,
              ErrorReporter& reporter, const Conversions& rules);
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    bool Form_Load();
    // Said with a setup that cannot be read at all, in the one message Form_Load gives then.
    void setNoSetupAdvice(const QString& advice) { m_startup.setNoSetupAdvice(advice); }
    bool Command1_Click(); // Start
    bool Command3_Click(); // Stop
    bool Command4_Click(int index);

    // The check of field `field` (1..8) on its current text. Changes nothing.
    std::optional<EntryRefusal> validate(int field) const;
    // The focus is about to leave field `field`: its check runs, and the observers hear of the
    // entry. Returns the refusal, if any.
    std::optional<EntryRefusal> leaveField(int field);

    // Told of the run from now on; must outlive the simulator or be removed first.
    void addObserver(RunObserver* observer);
    void removeObserver(RunObserver* observer);

    Form1& form() { return m_form; }
    // When the run last began or ended (Start, Stop, the line giving out), on the timers' clock;
    // whether it goes is whether the port is open.
    std::chrono::milliseconds runChangedAt() const { return m_runChangedAt; }

private:
    void tickEnded(const TickRecord& tick) override;
    void lineFailed(const QString& reason) override;
    void onTick(int timer);
    void handleTick(int timer);
    template <typename Event> void tell(Event event) const;
    void noteRunChange(bool wasRunning);

    Form1& m_form;
    TimerFacility& m_timers;
    ErrorReporter& m_reporter;
    Dispatcher m_dispatcher;
    StartupConfiguration m_startup;
    PageTransmitters m_transmitters;
    DataSetSwitchers m_switchers;
    RunControl m_runControl;
    AlarmButtons m_alarmButtons;
    EntryChecks m_entryChecks;

    std::vector<RunObserver*> m_observers;
    std::chrono::milliseconds m_startedAt{0};
    std::chrono::milliseconds m_runChangedAt{0};
    bool m_firstTickAfterStart = false;
    int m_tickingTimer = 0; // the timer whose tick is being handled
};
