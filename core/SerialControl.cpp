#include "core/SerialControl.h"

#include "core/LineObserver.h"
#include "core/SimulatorError.h"

SerialControl::Tick::Tick(SerialControl& port) : m_port(port.portOpen() ? &port : nullptr)
{
    if (!m_port)
        return;
    m_port->m_tick = TickRecord{};
    m_port->m_tick.sent = m_port->m_line->beginTick();
    m_port->m_inTick = true;
}

SerialControl::Tick::~Tick()
{
    if (m_port)
        m_port->endTick(m_closesDataString);
}

SerialControl::SerialControl(std::unique_ptr<SerialLine> line) : m_line(std::move(line)) {}

// The program's end takes no step of its own on the port: the line finishes what is on the wire
// as it goes (serial/PacedLine), and the device is let go with it.
SerialControl::~SerialControl() = default;

SerialControl::Tick SerialControl::beginTick()
{
    return Tick(*this);
}

void SerialControl::endTick(bool closedDataString) noexcept
{
    m_inTick = false;
    m_tick.closedDataString = closedDataString;
    // The line may have given out during the tick (in a nested event loop): it has forgotten
    // the tick then.
    if (m_open)
        m_line->endTick(closedDataString);
    if (m_observer)
        m_observer->tickEnded(m_tick);
}

void SerialControl::refuseWhileOpen(const QString& what) const
{
    throw SimulatorError(ErrorKind::PortRefused,
                         QStringLiteral("cannot %1: %2 is already open").arg(what, description()));
}

void SerialControl::setCommPort(qint16 port)
{
    if (m_open)
        refuseWhileOpen(QStringLiteral("change the port number"));
    if (port < 1)
        throw SimulatorError(ErrorKind::PortRefused,
                             QStringLiteral("there is no Com Port %1").arg(port));
    m_commPort = port;
}

void SerialControl::setSettings(const QString& text)
{
    if (m_open)
        refuseWhileOpen(QStringLiteral("change the line settings"));
    m_settings = LineSettings::parse(text);
    m_settingsText = text;
}

void SerialControl::setPortOpen(bool open)
{
    if (open == m_open) {
        if (open)
            refuseWhileOpen(QStringLiteral("open the port"));
        return;
    }
    if (open)
        m_line->open(m_commPort, m_settings, *this);
    else
        m_line->close();
    setOpen(open);
}

void SerialControl::setOutput(const QString& text)
{
    if (!m_open)
        throw SimulatorError(ErrorKind::PortRefused,
                             QStringLiteral("cannot write: %1 is not open").arg(description()));
    if (!m_inTick)
        throw SimulatorError(ErrorKind::PortRefused,
                             QStringLiteral("cannot write outside a transmitter tick"));
    const QByteArray bytes = lineBytes(text);
    m_tick.bytes += bytes.size();
    if (m_observer)
        m_tick.lines.append(text);
    m_line->write(bytes);
}

QByteArray SerialControl::lineBytes(const QString& text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (const char32_t c : text.toUcs4()) // one "?" per character, even beyond U+FFFF
        bytes.append(c <= 0xFF ? char(c) : '?');
    return bytes;
}

void SerialControl::gaveOut(const QString& reason)
{
    if (!m_open)
        return;
    setOpen(false);
    if (m_observer)
        m_observer->lineFailed(reason);
}

void SerialControl::setOpen(bool open)
{
    m_open = open;
    if (m_notifier)
        m_notifier->notify({FormMember::Kind::PortOpen, 0});
}
