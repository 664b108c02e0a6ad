#include "app/Session.h"

#include "app/FieldEntry.h"
#include "app/RunRecord.h"
#include "app/StandardErrorReporter.h"
#include "app/TickTracePrinter.h"
#include "core/ErrorReporter.h"
#include "core/Form1.h"
#include "core/IniFileSettingsStore.h"
#include "core/PerUserSettingsStore.h"
#include "core/Simulator.h"
#include "core/StartupConfiguration.h"
#include "core/UsageError.h"
#include "serial/PacedSerialControl.h"
#include "serial/SerialLines.h"
#include "serial/VirtualLine.h"

#include <QCoreApplication>

#include <cstdio>

Session::Session(const Options& options, ErrorReporter& reporter) : m_options(options)
{
    if (!options.settingsFile.isEmpty()) {
        m_store = std::make_unique<IniFileSettingsStore>(options.settingsFile, QString());
        if (const std::optional<QString> why = m_store->unavailable())
            throw UsageError(QStringLiteral("--settings"), *why);
    } else {
        m_store = openPerUserSettingsStore(QLatin1String(StartupConfiguration::application));
    }
    if (options.virtualPort) {
        std::unique_ptr<VirtualLine> line = VirtualLine::create(m_clock, options.virtualLink);
        m_virtualLine = line.get();
        // Where the reader is to look, before anything else is said: rigs read this line.
        std::fprintf(stderr, "virtual serial line: %s\n", line->path().toLocal8Bit().constData());
        std::fflush(stderr);
        m_port = SerialLines::virtualLine(m_clock, std::move(line));
    } else {
        m_port = SerialLines::devices(m_clock, options.ports);
    }
    m_form = std::make_unique<Form1>(m_timers, *m_port);
    m_simulator = std::make_unique<Simulator>(*m_form, *m_store, m_timers, reporter, m_rules);
    m_port->setLineFailureHandler(
        [simulator = m_simulator.get()](const QString& reason) { simulator->lineFailed(reason); });
    m_port->setNoticeHandler([&reporter](const QString& notice) {
        reporter.notice(QStringLiteral("Data transmission"), notice);
    });
    if (m_virtualLine)
        m_virtualLine->setReceiverHandler(
            [this](const LineSettings& receiver) { checkReceiver(receiver); });
    if (!options.logFile.isEmpty()) {
        m_record = std::make_unique<RunRecord>(options.logFile);
        m_simulator->setActionLog([this](const QString& action) { m_record->action(action); });
    }
    m_simulator->setTickTrace(
        [this](qint64 ms, const Timer& timer, const TickRecord& tick) { onTick(ms, timer, tick); });
    m_reporter = &reporter;
    std::optional<OpenDryx::VirtualLine> line;
    if (options.virtualPort)
        line = OpenDryx::VirtualLine{options.virtualLink, options.wineCom};
    m_openDryx =
        std::make_unique<OpenDryx>(*m_form, m_rules, m_launcher, m_winePrefix, reporter, line);
}

// A pseudo-terminal carries the bytes whatever its reader has set; a real line would not.
void Session::checkReceiver(const LineSettings& receiver)
{
    const LineSettings sent = LineSettings::parse(m_form->MSComm1.settings());
    QStringList differences;
    if (receiver.bitsPerSecond != sent.bitsPerSecond)
        differences.append(QStringLiteral("%1 bit/s").arg(receiver.bitsPerSecond));
    if (receiver.stopBits != sent.stopBits)
        differences.append(receiver.stopBits == LineSettings::StopBits::Two
                               ? QStringLiteral("2 stop bits")
                               : QStringLiteral("1 stop bit"));
    if (differences.isEmpty())
        return;
    m_reporter->notice(QStringLiteral("Data transmission"),
                       QStringLiteral("the receiver on %1 set %2; the line sends %3: on a real "
                                      "line it would read garbage")
                           .arg(m_virtualLine->readerPath(),
                                differences.join(QLatin1String(" and ")), sent.text()));
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

void Session::onTick(qint64 msSinceStart, const Timer& timer, const TickRecord& tick)
{
    if (tick.closedDataString)
        ++(tick.sent ? m_dataStringsSent : m_dataStringsLeftOut);
    if (m_record)
        m_record->tick(msSinceStart, timer, tick);
    if (m_options.trace) {
        const QString line = TickTracePrinter::line(msSinceStart, timer.name(), tick);
        std::fprintf(stdout, "%s\n", line.toLocal8Bit().constData());
        std::fflush(stdout);
    }
}

int Session::finish(StandardErrorReporter& reporter)
{
    m_timers.setTickHandler({});
    m_port->finishCurrentLine();
    const auto count = [](qint64 n, const char* one, const char* many) {
        return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many));
    };
    reporter.summarize(count(m_dataStringsSent, "data string sent", "data strings sent") +
                       QStringLiteral(", %1 left out; ").arg(m_dataStringsLeftOut) +
                       count(m_port->bytesHandedOver(), "byte on the line", "bytes on the line") +
                       QStringLiteral("; ") +
                       count(reporter.errors(), "error reported", "errors reported"));
    return reporter.errors() > 0 ? 1 : 0;
}

Session::~Session()
{
    m_simulator.reset();
    m_form.reset();
    // The program ends: the line being sent is finished, nothing after it.
    if (m_port)
        m_port->finishCurrentLine();
}

std::unique_ptr<Session> Session::open(const Options& options, ErrorReporter& reporter)
{
    std::unique_ptr<Session> session(new Session(options, reporter));
    session->load();
    return session;
}

void Session::load()
{
    if (!m_simulator->Form_Load() && m_options.settingsFile.isEmpty() && m_store->unavailable())
        m_reporter->notice(QStringLiteral("Start-up"),
                           QStringLiteral("to give the tool a setup, write it there or name an "
                                          "INI file with --settings FILE (e.g. --settings "
                                          "examples/setup.ini)"));
    for (const Options::FieldEntry& entry : m_options.entries) {
        if (const auto refusal = FieldEntry::enter(*m_simulator, entry.field, entry.text))
            throw UsageError(QStringLiteral("--set %1=%2").arg(entry.name, entry.text),
                             refusal->title + QLatin1String(": ") + refusal->message);
    }
}

bool Session::begin()
{
    if (m_options.start && !m_simulator->Command1_Click())
        return false;
    if (m_options.durationMs) {
        m_durationEnd = m_clock.makeAlarm([this] { stopAndEnd(); });
        m_durationEnd->set(m_clock.nowNs() + *m_options.durationMs * 1'000'000);
    }
    return true;
}

void Session::stopAndEnd()
{
    m_simulator->Command3_Click();
    end();
}

void Session::end()
{
    m_timers.setTickHandler({});
    if (m_durationEnd)
        m_durationEnd->cancel();
    QCoreApplication::exit(0);
}
