#include "core/OpenDryx.h"

#include "core/ErrorReporter.h"
#include "core/FieldReader.h"
#include "core/Form1.h"
#include "core/Launcher.h"
#include "core/SimulatorError.h"

namespace
{
const QString action = QStringLiteral("Open DRYX");
} // namespace

OpenDryx::OpenDryx(const Form1& form, const Conversions& rules, Launcher& launcher,
                   ComPortMapper& ports, ErrorReporter& reporter, std::optional<VirtualLine> line)
    : m_form(form), m_rules(rules), m_launcher(launcher), m_ports(ports), m_reporter(reporter),
      m_dispatcher(reporter), m_line(std::move(line))
{
}

void OpenDryx::Picture4_Click(Started started)
{
    m_dispatcher.run(action, [this, &started] {
        if (m_launcher.startsThroughWine(QLatin1String(launchPath)) && m_line)
            mapComPort(started);
        else
            start(std::nullopt, started);
    });
}

void OpenDryx::mapComPort(const Started& started)
{
    if (m_line->link.isEmpty()) {
        start(QStringLiteral("no COM port of Wine was mapped to the virtual line: it has no "
                             "link (--virtual-port=LINK)"),
              started);
        return;
    }
    const int number =
        m_line->wineCom ? *m_line->wineCom : FieldReader(m_rules).int16(m_form.Text7);
    if (number < 1)
        throw SimulatorError(
            ErrorKind::LaunchFailed,
            QStringLiteral("there is no COM%1 to map to the virtual line").arg(number));
    m_mapping.append(number);
    m_ports.map(number, m_line->link, [this, started](const ComPortMapper::Outcome& outcome) {
        m_mapping.removeFirst();
        whenMapped(outcome, started);
    });
}

void OpenDryx::programEnds(ErrorReporter& reporter) const
{
    for (const int number : m_mapping)
        reporter.error(action, SimulatorError(ErrorKind::LaunchFailed,
                                              QStringLiteral("the program ended while COM%1 of "
                                                             "Wine was being mapped to %2: \"%3\" "
                                                             "was not started")
                                                  .arg(number)
                                                  .arg(m_line->link, QLatin1String(launchPath)))
                                   .message());
}

void OpenDryx::whenMapped(const ComPortMapper::Outcome& outcome, const Started& started)
{
    m_dispatcher.run(action, [this, &outcome, &started] {
        switch (outcome.result) {
        case ComPortMapper::Outcome::Result::Failed:
            throw SimulatorError(ErrorKind::LaunchFailed, outcome.text);
        case ComPortMapper::Outcome::Result::Mapped:
            start(outcome.text, started);
            break;
        case ComPortMapper::Outcome::Result::AlreadyMapped:
            start(std::nullopt, started);
            break;
        }
    });
}

void OpenDryx::start(const std::optional<QString>& notice, const Started& started)
{
    const QString path = QLatin1String(launchPath);
    if (const std::optional<QString> reason = m_launcher.start(path))
        throw SimulatorError(ErrorKind::LaunchFailed,
                             QStringLiteral("cannot start \"%1\": %2").arg(path, *reason));
    // Said once the program is on its way: the notice may wait for the operator.
    if (notice)
        m_reporter.notice(action, *notice);
    if (started)
        started(m_launcher.startsThroughWine(path)
                    ? QStringLiteral("started %1 through Wine").arg(path)
                    : QStringLiteral("started %1").arg(path));
}
