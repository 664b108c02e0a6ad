#include "core/SerialControl.h"

#include "core/SimulatorError.h"

SerialControl::Tick::Tick(SerialControl& port) : m_port(port.portOpen() ? &port : nullptr)
{
    if (!m_port)
        return;
    m_port->m_tick = TickRecord{};
    m_port->m_tick.sent = m_port->beginLineTick();
    m_port->m_inTick = true;
}

SerialControl::Tick::~Tick()
{
    if (m_port)
        m_port->endTick(m_closesDataString);
}

SerialControl::Tick SerialControl::beginTick()
{
    return Tick(*this);
}

void SerialControl::endTick(bool closedDataString) noexcept
{
    m_inTick = false;
    m_tick.closedDataString = closedDataString;
    // The port may have been closed during the tick (by a device gone in a nested event loop):
    // the line has forgotten the tick then.
    if (m_open)
        endLineTick(closedDataString);
    if (m_tickObserver)
        m_tickObserver(m_tick);
}

void SerialControl::refuseWhileOpen(const QString& what) const
{
    throw SimulatorError(
        ErrorKind::PortRefused,
        QStringLiteral("cannot %1: %2 is already open").arg(what, describePort(m_commPort)));
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
        openDevice(m_commPort, m_settings);
    else
        closeDevice();
    setOpen(open);
}

void SerialControl::setOutput(const QString& text)
{
    if (!m_open)
        throw SimulatorError(
            ErrorKind::PortRefused,
            QStringLiteral("cannot write: %1 is not open").arg(describePort(m_commPort)));
    if (!m_inTick)
        throw SimulatorError(ErrorKind::PortRefused,
                             QStringLiteral("cannot write outside a transmitter tick"));
    const QByteArray bytes = lineBytes(text);
    m_tick.bytes += bytes.size();
    if (m_tickObserver)
        m_tick.lines.append(text);
    writeLine(bytes);
}

QByteArray SerialControl::lineBytes(const QString& text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (const char32_t c : text.toUcs4()) // one "?" per character, even beyond U+FFFF
        bytes.append(c <= 0xFF ? char(c) : '?');
    return bytes;
}

void SerialControl::deviceFailed(const QString& reason)
{
    if (!m_open)
        return;
    setOpen(false);
    if (m_failureHandler)
        m_failureHandler(reason);
}

QString SerialControl::describePort(qint16 port) const
{
    return QStringLiteral("Com Port %1").arg(port);
}

void SerialControl::setOpen(bool open)
{
    m_open = open;
    if (m_notifier)
        m_notifier->notify({FormMember::Kind::PortOpen, 0});
}
