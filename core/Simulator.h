#pragma once

#include "core/AlarmButtons.h"
#include "core/Conversions.h"
#include "core/DataSetSwitchers.h"
#include "core/Dispatcher.h"
#include "core/EntryChecks.h"
#include "core/PageTransmitters.h"
#include "core/RunControl.h"
#include "core/StartupConfiguration.h"
#include "core/TickRecord.h"

#include <QHash>

class Form1;
class SettingsStore;
class TimerFacility;

// The simulator as the window or the command reader drives it: every operator action and
// every timer tick goes to its handler through the one dispatcher.
class Simulator
{
public:
    Simulator(Form1& form, const SettingsStore& store, TimerFacility& timers,
              ErrorReporter& reporter, const Conversions& rules);
    ~Simulator();

    bool Form_Load();
    bool Command1_Click(); // Start
    bool Command3_Click(); // Stop
    bool Command4_Click(int index);

    // Any other action of the operator (the launcher picture), under the same error policy.
    bool run(const QString& action, const std::function<void()>& handler);

    // The check of field `field` (1..8) on its current text.
    std::optional<EntryRefusal> validate(int field) const;

    // Told of each operator action that changes the run, as it is done: "Start: Text1=30 ...",
    // "Stop", "alarm 1 raised", "Text3 = 600", "Text3 refused: 10".
    void setActionLog(std::function<void(const QString& action)> log)
    {
        m_actionLog = std::move(log);
    }

    // The port gave out during a run: reported once, and the run stops as Stop stops it.
    void lineFailed(const QString& reason);

    // Told after each transmitter tick, with its due time since the last Start.
    using TickTrace =
        std::function<void(qint64 msSinceStart, const Timer& timer, const TickRecord& tick)>;
    void setTickTrace(TickTrace trace);

    Form1& form() { return m_form; }

private:
    void onTick(int timer);

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
    void log(const QString& action) const;

    qint64 m_startedAtMs = 0;
    bool m_firstTickAfterStart = false;
    std::function<void(const QString&)> m_actionLog;
    mutable QHash<int, QString> m_lastAccepted; // the entry each field last left with
    int m_tickingTimer = 0;                     // the timer whose tick is being handled
};
