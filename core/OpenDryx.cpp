#include "core/OpenDryx.h"

#include "core/ComPortMapper.h"
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
      m_line(std::move(line))
{
}

QString OpenDryx::Picture4_Click()
{
    const QString path = QLatin1String(launchPath);
    const bool throughWine = m_launcher.startsThroughWine(path);
    const std::optional<QString> mapped =
        throughWine && m_line ? mapComPort() : std::optional<QString>();
    if (const std::optional<QString> reason = m_launcher.start(path))
        throw SimulatorError(ErrorKind::LaunchFailed,
                             QStringLiteral("cannot start \"%1\": %2").arg(path, *reason));
    // Said once the program is on its way: the notice may wait for the operator.
    if (mapped)
        m_reporter.notice(action, *mapped);
    return throughWine ? QStringLiteral("started %1 through Wine").arg(path)
                       : QStringLiteral("started %1").arg(path);
}

std::optional<QString> OpenDryx::mapComPort()
{
    if (m_line->link.isEmpty())
        return QStringLiteral("no COM port of Wine was mapped to the virtual line: it has no "
                              "link (--virtual-port=LINK)");
    const int number =
        m_line->wineCom ? *m_line->wineCom : FieldReader(m_rules).int16(m_form.Text7);
    if (number < 1)
        throw SimulatorError(
            ErrorKind::LaunchFailed,
            QStringLiteral("there is no COM%1 to map to the virtual line").arg(number));
    return m_ports.map(number, m_line->link);
}
