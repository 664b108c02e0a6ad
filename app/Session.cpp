#include "app/Session.h"

#include "core/ErrorReporter.h"
#include "app/FieldEntry.h"
#include "core/Form1.h"
#include "core/IniFileSettingsStore.h"
#include "core/PerUserSettingsStore.h"
#include "serial/SerialDevicePort.h"
#include "core/Simulator.h"
#include "core/StartupConfiguration.h"
#include "app/TickTracePrinter.h"
#include "serial/VirtualLine.h"
#include "serial/VirtualLinePort.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTimer>

Session::Session(const Options& options) : m_options(options) {}

Session::~Session()
{
    m_simulator.reset();
    m_form.reset();
    // The program ends: the line being sent is finished, nothing after it.
    if (m_port)
        m_port->finishCurrentLine();
}

std::unique_ptr<Session> Session::create(const Options& options, ErrorReporter& reporter,
                                         QString* why)
{
    std::unique_ptr<Session> session(new Session(options));
    if (!options.settingsFile.isEmpty()) {
        if (!QFileInfo(options.settingsFile).isFile()) {
            *why = QStringLiteral("--settings: cannot read \"%1\": no such file")
                       .arg(options.settingsFile);
            return nullptr;
        }
        session->m_store = std::make_unique<IniFileSettingsStore>(options.settingsFile, QString());
    } else {
        session->m_store =
            openPerUserSettingsStore(QLatin1String(StartupConfiguration::application));
    }
    if (options.virtualPort) {
        session->m_line = VirtualLine::create(options.virtualLink, why);
        if (!session->m_line) {
            *why = QStringLiteral("--virtual-port: ") + *why;
            return nullptr;
        }
        std::fprintf(stderr, "virtual serial line: %s\n",
                     session->m_line->path().toLocal8Bit().constData());
        std::fflush(stderr);
        session->m_port = std::make_unique<VirtualLinePort>(*session->m_line);
    } else {
        session->m_port = std::make_unique<SerialDevicePort>(options.ports);
    }
    session->m_form = std::make_unique<Form1>(session->m_timers, *session->m_port);
    session->m_simulator = std::make_unique<Simulator>(
        *session->m_form, *session->m_store, session->m_timers, reporter, session->m_rules);
    Simulator& simulator = *session->m_simulator;
    session->m_port->setLineFailureHandler(
        [&simulator](const QString& reason) { simulator.lineFailed(reason); });
    session->m_port->setNoticeHandler([&reporter](const QString& notice) {
        const QString text = QStringLiteral("Data transmission: ") + notice;
        std::fprintf(stderr, "dryx-plc-test: %s\n", text.toLocal8Bit().constData());
        std::fflush(stderr);
        reporter.report(text);
    });
    if (options.trace) {
        simulator.setTickTrace([](qint64 ms, const Timer& timer, const QStringList& lines) {
            const QString line = TickTracePrinter::line(ms, timer.name(), lines);
            std::fprintf(stdout, "%s\n", line.toLocal8Bit().constData());
            std::fflush(stdout);
        });
    }
    return session;
}

std::unique_ptr<Session> Session::open(const Options& options, ErrorReporter& reporter)
{
    QString why;
    std::unique_ptr<Session> session = create(options, reporter, &why);
    if (session) {
        if (const std::optional<QString> refused = session->load()) {
            why = *refused;
            session.reset();
        }
    }
    if (!session)
        std::fprintf(stderr, "dryx-plc-test: %s\n", why.toLocal8Bit().constData());
    return session;
}

std::optional<QString> Session::load()
{
    m_simulator->Form_Load();
    for (const Options::FieldEntry& entry : m_options.entries) {
        if (const auto refusal = FieldEntry::enter(*m_simulator, entry.field, entry.text))
            return QStringLiteral("--set %1=%2: %3: %4")
                .arg(entry.name, entry.text, refusal->title, refusal->message);
    }
    return std::nullopt;
}

void Session::begin()
{
    if (m_options.start)
        m_simulator->Command1_Click();
    if (m_options.durationMs) {
        QTimer::singleShot(std::chrono::milliseconds(*m_options.durationMs), Qt::PreciseTimer,
                           [this] {
                               m_simulator->Command3_Click();
                               end();
                           });
    }
}

void Session::end()
{
    m_timers.setTickHandler({});
    QCoreApplication::exit(0);
}
