#include "app/Session.h"

#include "app/ActionLog.h"
#include "app/DeskRecord.h"
#include "app/ExampleSetup.h"
#include "app/FieldEntry.h"
#include "app/RunRecord.h"
#include "app/SetupSource.h"
#include "app/StandardErrorReporter.h"
#include "app/TickTracePrinter.h"
#include "core/ErrorReporter.h"
#include "core/Form1.h"
#include "core/SerialControl.h"
#include "core/ShownInput.h"
#include "core/Simulator.h"
#include "core/StartupConfiguration.h"
#include "core/UsageError.h"
#include "core/VirtualClock.h"
#include "platform/IniFileSettingsStore.h"
#include "platform/MonotonicClock.h"
#include "platform/PerUserSettingsStore.h"
#include "serial/PacedLine.h"
#include "serial/SerialLines.h"
#include "serial/VirtualLine.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>

std::unique_ptr<Clock> Session::makeClock(const Options& options)
{
    if (options.virtualTime)
        return std::make_unique<VirtualClock>();
    return std::make_unique<MonotonicClock>();
}

Session::Session(const Options& options, ErrorReporter& reporter)
    : m_options(options),
      m_script(options.scriptFile.isEmpty() ? std::nullopt
                                            : std::optional<ScenarioScript>(ScenarioScript::read(
                                                  options.scriptFile, options.virtualTime))),
      m_scriptFile(options.scriptFile), m_laterReporter(reporter, m_later)
{
    if (options.virtualTime)
        m_virtualClock = static_cast<VirtualClock*>(m_clock.get());
    std::unique_ptr<SettingsStore> store;
    if (!options.settingsFile.isEmpty()) {
        store = std::make_unique<IniFileSettingsStore>(options.settingsFile, QString());
        if (const std::optional<QString> why = store->unavailable())
            throw UsageError(QStringLiteral("--settings"), *why);
    } else {
        store = openPerUserSettingsStore(QLatin1String(StartupConfiguration::application));
    }
    m_setup = std::make_unique<SetupSource>(std::move(store));
    // Before the line: a record that cannot be had ends the program before a link is made.
    if (!options.logFile.isEmpty()) {
        m_record = std::make_unique<RunRecord>(
            options.logFile, options.logAppend ? RunRecord::Mode::Append : RunRecord::Mode::Afresh,
            m_laterReporter);
        m_record->setWaitsForReader(options.virtualTime);
        // What the line faults' random choices come from: a run is repeated with it.
        m_record->comment(QStringLiteral("seed %1").arg(options.seed));
    }
    // In virtual time no line is held up while the trace's reader is waited for.
    m_standardOutput->setWaitsForReader(options.virtualTime);
    std::unique_ptr<PacedLine> paced;
    if (options.virtualTime) {
        paced = SerialLines::silentLine(*m_clock, reporter);
    } else if (options.virtualPort) {
        std::unique_ptr<VirtualLine> device =
            VirtualLine::create(*m_clock, options.virtualLink, reporter);
        m_virtualLine = device.get();
        // Where the reader is to look, before anything else is said: rigs read this line.
        std::fprintf(stderr, "virtual serial line: %s\n", device->path().toLocal8Bit().constData());
        std::fflush(stderr);
        paced = SerialLines::virtualLine(*m_clock, std::move(device), reporter);
    } else {
        paced = SerialLines::devices(*m_clock, options.ports, reporter);
    }
    m_line = paced.get();
    m_port = std::make_unique<SerialControl>(std::move(paced));
    m_port->setFaults(&m_faults);
    m_form = std::make_unique<Form1>(m_timers, *m_port);
    m_simulator = std::make_unique<Simulator>(*m_form, *m_setup, m_timers, reporter, m_rules);
    m_simulator->addObserver(&m_summary);
    if (m_record) {
        m_actionLog = std::make_unique<ActionLog>(*m_record);
        m_simulator->addObserver(m_record.get());
        m_simulator->addObserver(m_actionLog.get());
    }
    if (options.trace) {
        // A reader of the trace that has gone ends the run as a signal does.
        m_trace = std::make_unique<TickTracePrinter>(
            m_standardOutput, m_laterReporter, [this] { m_later.post([this] { stopAndEnd(); }); });
        m_simulator->addObserver(m_trace.get());
    }
    std::optional<OpenDryx::VirtualLine> line;
    if (m_virtualLine) // Wine is given the link as an absolute path: it starts elsewhere
        line = OpenDryx::VirtualLine{m_virtualLine->link(), options.wineCom};
    m_openDryx =
        std::make_unique<OpenDryx>(*m_form, m_rules, m_launcher, m_winePrefix, reporter, line);
    m_commands = std::make_unique<CommandInterpreter>(*m_simulator, *m_openDryx, m_out, reporter,
                                                      [this] { end(); });
    m_commands->setMoreState([this] { return lineState(); });
    m_commands->setStatus([this] { return status(); });
    m_commands->setFaults(&m_faults);
}

QStringList Session::lineState() const
{
    if (!m_virtualLine)
        return {};
    const std::optional<LineSettings>& receiver = m_virtualLine->receiver();
    return {QStringLiteral("VirtualLine.Path=") + m_virtualLine->path(),
            QStringLiteral("VirtualLine.Receiver=") +
                (receiver ? receiver->text() : QStringLiteral("none"))};
}

RunStatus Session::status() const
{
    RunStatus status;
    status.time = m_timers.now() - m_startUp;
    const SerialControl& port = m_form->MSComm1;
    status.comPort = port.commPort();
    status.settings = port.settings();
    if (m_virtualLine) {
        status.line = RunStatus::Line::Virtual;
        status.device = m_virtualLine->path();
        status.link = m_options.virtualLink;
        status.readerPresent = m_virtualLine->readerPresent();
        if (const std::optional<LineSettings>& receiver = m_virtualLine->receiver())
            status.receiver = receiver->text();
        status.receiverNotice = m_virtualLine->receiverNotice().value_or(QString());
    } else if (!m_options.virtualTime) {
        status.line = RunStatus::Line::Device;
        status.device = m_options.ports.devicePath(port.commPort());
    }
    status.running = port.portOpen();
    status.since = std::max(m_simulator->runChangedAt() - m_startUp, std::chrono::milliseconds(0));
    status.dataStringsSent = m_summary.sent();
    status.dataStringsLeftOut = m_summary.leftOut();
    status.dataStringsLost = m_summary.lost();
    status.bytesOnTheLine = m_line->feed().bytesHandedOver();
    status.errorsReported = m_errorsReported ? m_errorsReported() : 0;
    status.faultsArmed = m_faults.armed();
    if (m_script) {
        const QList<ScenarioScript::Step>& steps = m_script->steps();
        status.scenarioFile = m_scriptFile;
        status.scenarioRunning = m_scenarioRunning;
        status.stepsDone = m_stepsDone;
        status.steps = int(steps.size());
        if (m_scenarioRunning && m_stepsDone < steps.size()) {
            status.nextStepAt = m_scriptZero - m_startUp + steps[m_stepsDone].at;
            status.nextStep = steps[m_stepsDone].command;
        }
    }
    return status;
}

int Session::finish(StandardErrorReporter& reporter)
{
    m_timers.setTickHandler({});
    m_line->finishCurrentLine();
    if (m_trace)
        m_trace->end(status());
    if (m_record)
        m_record->finish();
    if (m_deskRecord)
        m_deskRecord->finish();
    m_standardOutput->finish(RecordFile::patienceAtEnd); // the last answers, if not traced
    m_laterReporter.flush(reporter);
    m_openDryx->programEnds(reporter);
    reporter.summarize(m_summary.line(m_line->feed().bytesHandedOver(), reporter.errors()));
    return reporter.errors() > 0 ? 1 : 0;
}

Session::~Session()
{
    m_simulator.reset();
    m_form.reset();
    // The program ends: the line being sent is finished, nothing after it.
    if (m_line)
        m_line->finishCurrentLine();
}

std::unique_ptr<Session> Session::open(const Options& options, ErrorReporter& reporter,
                                       std::function<int()> errorsReported)
{
    std::unique_ptr<Session> session(new Session(options, reporter));
    session->m_errorsReported = std::move(errorsReported);
    session->load();
    return session;
}

void Session::load()
{
    // No setup at all is said once, with how to give one: one message box in the window.
    QString advice = QStringLiteral("to give the tool a setup, write it there or name an INI file "
                                    "with --settings FILE");
    if (const QString example = ExampleSetup::path(QCoreApplication::applicationDirPath());
        !example.isEmpty())
        advice += QStringLiteral(", such as --settings ") + example;
    m_simulator->setNoSetupAdvice(advice);
    m_simulator->Form_Load();
    for (const Options::FieldEntry& entry : m_options.entries) {
        if (const auto refusal = FieldEntry::enter(*m_simulator, entry.field, entry.text))
            throw UsageError(
                QStringLiteral("--set %1=%2")
                    .arg(ShownInput::echoed(entry.name), ShownInput::echoed(entry.text)),
                refusal->title + QLatin1String(": ") + refusal->message);
    }
}

bool Session::begin()
{
    using std::chrono::milliseconds;
    const milliseconds startUp = m_startUp = m_timers.now();
    if (m_options.start && !m_simulator->Command1_Click())
        return false;
    if (m_options.durationMs)
        m_timers.at(startUp + milliseconds(*m_options.durationMs), [this] { stopAndEnd(); });
    if (m_script)
        startScenario(startUp);
    return true;
}

void Session::startScenario(std::chrono::milliseconds zero)
{
    ++m_scenarioRuns;
    m_scriptZero = zero;
    m_stepsDone = 0;
    m_scenarioRunning = true;
    queueNextStep();
}

void Session::queueNextStep()
{
    const QList<ScenarioScript::Step>& steps = m_script->steps();
    if (m_stepsDone < steps.size()) {
        // A step of a run stopped since does nothing.
        m_timers.at(m_scriptZero + steps[m_stepsDone].at, [this, run = m_scenarioRuns] {
            if (run == m_scenarioRuns)
                takeStep();
        });
        return;
    }
    m_scenarioRunning = false;
    if (m_virtualClock && !m_options.durationMs)
        end(); // virtual time has nothing to wait for after the last step
}

// The next step is queued before this one is carried out: it goes before the ticks due with it
// (a `quit` cancels it).
void Session::takeStep()
{
    const QString command = m_script->steps()[m_stepsDone++].command;
    const bool last = m_stepsDone == m_script->steps().size();
    if (!last)
        queueNextStep();
    m_commands->execute(command);
    if (last)
        queueNextStep();
}

std::optional<std::chrono::milliseconds> Session::nextTickIn() const
{
    const std::optional<std::chrono::milliseconds> due = m_timers.nextDue();
    if (!due)
        return std::nullopt;
    return std::max(*due - m_timers.now(), std::chrono::milliseconds(0));
}

QString Session::armFault(const LineFault& fault)
{
    QString armed = m_commands->arm(fault);
    m_out << armed << Qt::endl; // as the command confirms it
    return armed;
}

namespace
{
// Every step at fault in `lines`: each is reported, then taken out, and the script read again,
// so that each is judged against the sound steps before it.
QList<RunDesk::ScenarioProblem> problemsOf(const QString& name, QStringList lines,
                                           std::optional<ScenarioScript>& script)
{
    QList<RunDesk::ScenarioProblem> problems;
    for (;;) {
        try {
            script = ScenarioScript::parse(name, lines.join(QLatin1Char('\n')), false);
            return problems;
        } catch (const UsageError& error) {
            // The step is named NAME:LINE.
            const int line = error.action().mid(name.size() + 1).toInt();
            problems.append({line, error.message()});
            if (line < 1 || line > lines.size())
                return problems;
            lines[line - 1].clear();
        }
    }
}
} // namespace

QList<RunDesk::ScenarioProblem> Session::openScenario(const QString& path)
{
    if (m_scenarioRunning)
        return {{0, QStringLiteral("a scenario runs: stop it before opening another")}};
    m_script.reset();
    m_scriptFile.clear();
    m_stepsDone = 0;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {{0, QStringLiteral("cannot read %1: %2").arg(path, file.errorString())}};
    std::optional<ScenarioScript> script;
    QList<ScenarioProblem> problems =
        problemsOf(path, QString::fromUtf8(file.readAll()).split(QLatin1Char('\n')), script);
    if (problems.isEmpty()) {
        m_script = std::move(script);
        m_scriptFile = path;
    }
    return problems;
}

void Session::runScenario()
{
    if (!m_script)
        return;
    startScenario(m_timers.now());
}

void Session::stopScenario()
{
    ++m_scenarioRuns;
    m_scenarioRunning = false;
}

std::optional<QString> Session::recordTo(const QString& path)
{
    if (!m_options.logFile.isEmpty() &&
        QFileInfo(path).absoluteFilePath() == QFileInfo(m_options.logFile).absoluteFilePath())
        return QStringLiteral("%1 is the record --log writes: choose another file").arg(path);
    std::unique_ptr<DeskRecord> record;
    try {
        record = std::make_unique<DeskRecord>(path, m_options.seed,
                                              m_summary.sent() + m_summary.leftOut(),
                                              m_summary.dataStringUnderWay(), m_laterReporter);
    } catch (const UsageError& error) {
        return error.message();
    }
    stopRecording();
    m_deskRecord = std::move(record);
    m_simulator->addObserver(m_deskRecord.get());
    return std::nullopt;
}

void Session::stopRecording()
{
    if (!m_deskRecord)
        return;
    m_simulator->removeObserver(m_deskRecord.get());
    m_deskRecord->finish();
    m_deskRecord.reset();
}

QString Session::recordFile() const
{
    return m_deskRecord ? m_deskRecord->path() : QString();
}

std::optional<QString> Session::openSetup(const QString& path)
{
    if (m_form->MSComm1.portOpen())
        return QStringLiteral("the run goes: a setup is read while stopped (press Stop first)");
    auto store = std::make_unique<IniFileSettingsStore>(path, QString());
    if (std::optional<QString> why = store->unavailable())
        return why;
    m_setup->replace(std::move(store));
    if (m_simulator->Form_Load())
        showAlarmsOfSetup();
    return std::nullopt;
}

// Start-up only shows alarm buttons: after another setup the form has the alarms a start-up on
// it would give, each clear, and no button beyond them (whose alarm could no longer be cleared).
void Session::showAlarmsOfSetup()
{
    const int alarms = m_form->Text6.text().toInt();
    for (int index = 1; index <= Form1::alarmCount; ++index) {
        m_form->setAlarmState(index, 0);
        m_form->Shape3(index).setFillColor(Colours::alarmClear);
        m_form->Shape3(index).setVisible(index <= alarms);
        m_form->Command4(index).setVisible(index <= alarms);
    }
}

QString Session::setupLocation() const
{
    return m_setup->location();
}

bool Session::setupFound() const
{
    return !m_setup->unavailable();
}

void Session::runInVirtualTime(const std::function<void()>& meanwhile)
{
    while (!m_ended) {
        if (meanwhile)
            meanwhile();
        if (m_ended)
            return;
        const std::optional<std::chrono::nanoseconds> next = m_virtualClock->nextRing();
        if (!next)
            return;
        m_virtualClock->advanceTo(*next);
    }
}

void Session::stopAndEnd()
{
    m_simulator->Command3_Click();
    end();
}

void Session::end()
{
    m_ended = true;
    m_timers.setTickHandler({});
    m_timers.cancelSteps();
    QCoreApplication::exit(0);
}
