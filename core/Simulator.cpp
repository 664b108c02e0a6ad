#include "core/Simulator.h"

#include "core/ErrorReporter.h"
#include "core/Form1.h"
#include "core/SimulatorError.h"
#include "core/TimerFacility.h"

#include <utility>

Simulator::Simulator(Form1& form, const SettingsStore& store, TimerFacility& timers,
                     ErrorReporter& reporter, const Conversions& rules)
    : m_form(form), m_timers(timers), m_reporter(reporter), m_dispatcher(reporter),
      m_startup(form, store, rules), m_transmitters(form, rules), m_switchers(form, rules),
      m_runControl(form, rules), m_alarmButtons(form), m_entryChecks(rules)
{
    m_timers.setTickHandler([this](int timer) { onTick(timer); });
}

Simulator::~Simulator()
{
    m_timers.setTickHandler({});
    m_form.MSComm1.setTickObserver({});
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

bool Simulator::Command1_Click()
{
    const bool started = m_dispatcher.run(QStringLiteral("Start"), [this] {
        m_runControl.Command1_Click();
        m_startedAtMs = m_timers.nowMs();
        m_firstTickAfterStart = true;
    });
    if (started) {
        QStringList fields;
        for (int field = 1; field <= 8; ++field)
            if (field != 5)
                fields.append(
                    QStringLiteral("Text%1=%2").arg(field).arg(m_form.text(field).text()));
        log(QStringLiteral("Start: ") + fields.join(QLatin1Char(' ')));
    } else {
        log(QStringLiteral("Start failed"));
    }
    return started;
}

bool Simulator::Command3_Click()
{
    const bool stopped =
        m_dispatcher.run(QStringLiteral("Stop"), [this] { m_runControl.Command3_Click(); });
    log(stopped ? QStringLiteral("Stop") : QStringLiteral("Stop failed"));
    return stopped;
}

bool Simulator::Command4_Click(int index)
{
    const bool clicked = m_dispatcher.run(QStringLiteral("Alarm A%1").arg(index),
                                          [this, index] { m_alarmButtons.Command4_Click(index); });
    if (clicked && index >= 1 && index <= Form1::alarmCount)
        log(QStringLiteral("alarm %1 %2")
                .arg(index)
                .arg(m_form.AlarmState(index) ? QLatin1String("raised")
                                              : QLatin1String("cleared")));
    return clicked;
}

void Simulator::log(const QString& action) const
{
    if (m_actionLog)
        m_actionLog(action);
}

bool Simulator::run(const QString& action, const std::function<void()>& handler)
{
    return m_dispatcher.run(action, handler);
}

std::optional<EntryRefusal> Simulator::validate(int field) const
{
    const QString& text = m_form.text(field).text();
    std::optional<EntryRefusal> refusal = m_entryChecks.check(field, text);
    // An entry counts when it is accepted and new; leaving a field unchanged is no change.
    if (refusal)
        log(QStringLiteral("Text%1 refused: %2").arg(field).arg(text));
    else if (!m_lastAccepted.contains(field) || m_lastAccepted.value(field) != text)
        log(QStringLiteral("Text%1 = %2").arg(field).arg(text));
    if (!refusal)
        m_lastAccepted.insert(field, text);
    return refusal;
}

void Simulator::lineFailed(const QString& reason)
{
    m_dispatcher.run(QStringLiteral("Data transmission"), [this, &reason] {
        m_runControl.Command3_Click();
        throw SimulatorError(ErrorKind::PortRefused,
                             reason + QStringLiteral("; the run has been stopped"));
    });
}

void Simulator::setTickTrace(TickTrace trace)
{
    if (!trace) {
        m_form.MSComm1.setTickObserver({});
        return;
    }
    m_form.MSComm1.setTickObserver([this, trace = std::move(trace)](const TickRecord& tick) {
        if (m_tickingTimer == 0)
            return;
        // Times are the ticks' due times, not when they were handled: two runs of the same
        // setup and actions give the same record. Start is 1000 ms before its first tick.
        const qint64 due = m_timers.tickDueMs().value_or(m_timers.nowMs());
        if (std::exchange(m_firstTickAfterStart, false))
            m_startedAtMs = due - 1000;
        trace(due - m_startedAtMs, m_form.timer(m_tickingTimer), tick);
    });
}

void Simulator::onTick(int timer)
{
    struct Ticking { // restored afterwards: a tick may come inside another's message box
        int& current;
        int previous;
        ~Ticking() { current = previous; }
    } ticking{m_tickingTimer, std::exchange(m_tickingTimer, timer)};
    const QString name = m_form.timer(timer).name();
    const auto transmit = [&](void (PageTransmitters::*handler)()) {
        m_dispatcher.runTick(timer, QStringLiteral("Data transmission (%1)").arg(name),
                             [&] { (m_transmitters.*handler)(); });
    };
    const auto switchSets = [&](void (DataSetSwitchers::*handler)()) {
        m_dispatcher.runTick(timer, QStringLiteral("Data set switch (%1)").arg(name),
                             [&] { (m_switchers.*handler)(); });
    };
    switch (timer) {
    case 1:
        return transmit(&PageTransmitters::Timer1_Timer);
    case 2:
        return switchSets(&DataSetSwitchers::Timer2_Timer);
    case 3:
        return transmit(&PageTransmitters::Timer3_Timer);
    case 4:
        return transmit(&PageTransmitters::Timer4_Timer);
    case 5:
        return transmit(&PageTransmitters::Timer5_Timer);
    case 6:
        return switchSets(&DataSetSwitchers::Timer6_Timer);
    }
}
