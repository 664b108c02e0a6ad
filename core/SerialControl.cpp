#include "core/SerialControl.h"

#include "core/LineFaults.h"
#include "core/LineObserver.h"
#include "core/SimulatorError.h"

#include <utility>

SerialControl::Tick::Tick(SerialControl& port) : m_port(port.portOpen() ? &port : nullptr)
{
    if (!m_port)
        return;
    SerialControl& own = *m_port;
    own.m_tick = TickRecord{};
    const bool opens = !std::exchange(own.m_inDataString, true);
    if (opens)
        own.m_dataStringBytes = 0;
    own.m_tick.delivery = own.m_line->beginTick(opens);
    own.m_inTick = true;
    // A faulted tick's lines are held until its end, when the fault has seen them all: the
    // other ticks go to the line as they are written, untouched.
    const LineFault* fault = own.m_tick.delivery == Delivery::Sent && own.m_faults
                                 ? own.m_faults->beginTick(opens)
                                 : nullptr;
    own.m_holdingTick = fault != nullptr;
    own.m_heldLines.clear();
    if (fault)
        own.m_tick.fault = fault->kindName();
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
    // The line may have given out during the tick (in a nested event loop): it has forgotten
    // the tick then.
    if (m_open && std::exchange(m_holdingTick, false))
        sendFaulted(closedDataString);
    m_dataStringBytes += m_tick.bytes;
    m_tick.unterminated = !closedDataString && m_dataStringBytes > unterminatedLimit;
    m_tick.closedDataString = closedDataString || m_tick.unterminated;
    if (m_tick.closedDataString)
        m_inDataString = false;
    if (m_open)
        m_line->endTick(m_tick.closedDataString);
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
    if (m_holdingTick) {
        m_heldLines.append(bytes);
        return;
    }
    m_tick.bytes += bytes.size();
    if (m_observer)
        m_tick.lines.append(text);
    m_line->write(bytes);
}

// The tick's lines as its fault leaves them, written at the tick's end, which is the moment
// they were written: the tick takes no time of its own.
void SerialControl::sendFaulted(bool closedDataString)
{
    LineFaults::Outcome outcome = m_faults->apply(std::exchange(m_heldLines, {}), closedDataString);
    if (outcome.holdBack.count() > 0) {
        m_line->holdBack(outcome.holdBack, outcome.breakCondition);
        if (outcome.breakCondition && !m_line->sendsBreaks())
            outcome.note += QStringLiteral(", silent: this line has no break condition");
    }
    m_tick.faultNote = outcome.note;
    for (const QByteArray& bytes : outcome.lines) {
        m_tick.bytes += bytes.size();
        if (m_observer)
            m_tick.lines.append(QString::fromLatin1(bytes));
        m_line->write(bytes);
    }
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
    m_inDataString = false;
    if (m_notifier)
        m_notifier->notify({FormMember::Kind::PortOpen, 0});
}
