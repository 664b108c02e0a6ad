#include "core/Simulator.h"

#include "core/ErrorReporter.h"
#include "core/Form1.h"
#include "core/RunObserver.h"
#include "core/SimulatorError.h"
#include "core/TimerFacility.h"

#include <algorithm>
#include <utility>

using namespace std::chrono_literals;

Simulator::Simulator(Form1& form, const SettingsStore& store, TimerFacility& timers,
                     ErrorReporter& reporter, const Conversions& rules)
    : m_form(form), m_timers(timers), m_reporter(reporter), m_dispatcher(reporter),
      m_startup(form, store, rules), m_transmitters(form, rules), m_switchers(form, rules),
      m_runControl(form, rules), m_alarmButtons(form), m_entryChecks(rules)
{
    m_timers.setTickHandler([this](int timer) { onTick(timer); });
    m_form.MSComm1.setObserver(this);
}

Simulator::~Simulator()
{
    m_timers.setTickHandler({});
    m_form.MSComm1.setObserver(nullptr);
}

void Simulator::addObserver(RunObserver* observer)
{
    m_observers.push_back(observer);
}

void Simulator::removeObserver(RunObserver* observer)
{
    std::erase(m_observers, observer);
}

template <typename Event> void Simulator::tell(Event event) const
{
    for (RunObserver* observer : m_observers)
        event(*observer);
}

bool Simulator::Form_Load()
{
    const QString action = QStringLiteral("Start-up");
    if (!m_dispatcher.run(action, [this] { m_startup.Form_Load(); }))
        return false;
    // Sent as stored, but the receiver frames on CR LF: a line break inside splits the line.
    if (m_form.Text8.text().contains(QLatin1Char('\r')) ||
        m_form.Text8.text().contains(QLatin1Char('\n')))
        m_reporter.notice(action, QStringLiteral("the data terminator of the setup holds a line "
                                                 "break (CR or LF); it is sent as it stands, and "
                                                 "the receiver will see more than one line"));
    return true;
}

void Simulator::noteRunChange(bool wasRunning)
{
    if (m_form.MSComm1.portOpen() != wasRunning)
        m_runChangedAt = m_timers.now();
}

bool Simulator::Command1_Click()
{
    const bool wasRunning = m_form.MSComm1.portOpen();
    const bool started = m_dispatcher.run(QStringLiteral("Start"), [this] {
        m_runControl.Command1_Click();
        m_startedAt = m_timers.now();
        m_firstTickAfterStart = true;
    });
    noteRunChange(wasRunning);
    if (started)
        tell([this](RunObserver& observer) { observer.started(m_form); });
    else
        tell([](RunObserver& observer) { observer.startFailed(); });
    return started;
}

bool Simulator::Command3_Click()
{
    const bool wasRunning = m_form.MSComm1.portOpen();
    const bool stopped =
        m_dispatcher.run(QStringLiteral("Stop"), [this] { m_runControl.Command3_Click(); });
    noteRunChange(wasRunning);
    tell([stopped](RunObserver& observer) { observer.stopped(stopped); });
    return stopped;
}

bool Simulator::Command4_Click(int index)
{
    const bool clicked = m_dispatcher.run(QStringLiteral("Alarm A%1").arg(index),
                                          [this, index] { m_alarmButtons.Command4_Click(index); });
    if (clicked && index >= 1 && index <= Form1::alarmCount) {
        const bool raised = m_form.AlarmState(index) != 0;
        tell([index, raised](RunObserver& observer) { observer.alarmToggled(index, raised); });
    }
    return clicked;
}

std::optional<EntryRefusal> Simulator::validate(int field) const
{
    return m_entryChecks.check(field, m_form.text(field).text());
}

std::optional<EntryRefusal> Simulator::leaveField(int field)
{
    std::optional<EntryRefusal> refusal = validate(field);
    const QString& text = m_form.text(field).text();
    tell([&](RunObserver& observer) { observer.entryLeft(field, text, !refusal); });
    return refusal;
}

void Simulator::lineFailed(const QString& reason)
{
    m_runChangedAt = m_timers.now(); // the port has closed itself
    m_dispatcher.run(QStringLiteral("Data transmission"), [this, &reason] {
        m_runControl.Command3_Click();
        throw SimulatorError(ErrorKind::PortRefused,
                             reason + QStringLiteral("; the run has been stopped"));
    });
}

void Simulator::tickEnded(const TickRecord& tick)
{
    if (m_tickingTimer == 0)
        return;
    // Times are the ticks' due times, not when they were handled: two runs of the same setup
    // and actions give the same record. Start is 1000 ms before its first tick.
    const std::chrono::milliseconds due = m_timers.tickDue().value_or(m_timers.now());
    if (std::exchange(m_firstTickAfterStart, false))
        m_startedAt = due - 1000ms;
    const TimerRole& timer = TimerRoles::of(m_tickingTimer);
    TickRecord told = tick;
    told.heldUp = m_timers.tickHeldUp().value_or(0ms);
    tell([&](RunObserver& observer) { observer.ticked(due - m_startedAt, timer, told); });
}

void Simulator::onTick(int timer)
{
    struct Ticking { // restored afterwards: a tick may come inside another's message box
        int& current;
        int previous;
        ~Ticking() { current = previous; }
    } ticking{m_tickingTimer, std::exchange(m_tickingTimer, timer)};
    const TimerRole& role = TimerRoles::of(timer);
    const QString action = role.job == TimerRole::Job::Transmitter
                               ? QStringLiteral("Data transmission (%1)").arg(role.name())
                               : QStringLiteral("Data set switch (%1)").arg(role.name());
    m_dispatcher.runTick(timer, action, [&] { handleTick(timer); });
}

// Each timer's tick goes to the handler named for it.
void Simulator::handleTick(int timer)
{
    switch (timer) {
    case 1:
        return m_transmitters.Timer1_Timer();
    case 2:
        return m_switchers.Timer2_Timer();
    case 3:
        return m_transmitters.Timer3_Timer();
    case 4:
        return m_transmitters.Timer4_Timer();
    case 5:
        return m_transmitters.Timer5_Timer();
    case 6:
        return m_switchers.Timer6_Timer();
    }
}
