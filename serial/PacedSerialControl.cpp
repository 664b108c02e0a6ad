#include "serial/PacedSerialControl.h"

#include "core/Clock.h"

PacedSerialControl::PacedSerialControl(Clock& clock, std::unique_ptr<SerialDevice> device,
                                       PacerFactory pacerFor)
    : m_clock(clock), m_device(std::move(device)), m_pacerFor(std::move(pacerFor)),
      m_handOver(clock.makeAlarm([this] { handOver(); })),
      m_laterAlarm(clock.makeAlarm([this] { runLater(); }))
{
    m_device->setGoneHandler([this](const QString& reason) { deviceGone(reason); });
}

PacedSerialControl::~PacedSerialControl()
{
    m_device->setGoneHandler({});
}

qint64 PacedSerialControl::backlogBytes() const
{
    return m_pacer ? m_pacer->backlogBytes(m_clock.nowNs()) : 0;
}

QString PacedSerialControl::describePort(qint16 port) const
{
    return m_device->describe(port);
}

void PacedSerialControl::openDevice(qint16 port, const LineSettings& settings)
{
    m_device->open(port, settings);
    m_failing = false;
    // A line reopened while the rest of a line from the last run is still going out keeps
    // that rest in front: the pacer is kept when it is not empty.
    if (!m_pacer || m_pacer->isEmpty())
        m_pacer = m_pacerFor(settings.charactersPerSecond());
    m_gate = std::make_unique<DataStringGate>(settings.charactersPerSecond());
    m_nextLineOpensDataString = false;
}

// The line on the wire is finished, nothing after it: a UART has it already; on the virtual
// line its rest goes on being paced.
void PacedSerialControl::closeDevice()
{
    if (m_pacer)
        m_pacer->dropAfterCurrentLine();
    m_device->close();
    arm();
}

bool PacedSerialControl::beginLineTick()
{
    const qint64 now = m_clock.nowNs();
    m_tickLetThrough = m_gate->beginTick(m_pacer->backlogBytes(now), now / 1'000'000);
    if (m_gate->opensDataString())
        m_nextLineOpensDataString = m_tickLetThrough;
    return m_tickLetThrough;
}

void PacedSerialControl::writeLine(const QByteArray& bytes)
{
    m_gate->produced(bytes.size());
    if (!m_tickLetThrough || m_failing)
        return;
    m_pacer->append(bytes, m_clock.nowNs(), std::exchange(m_nextLineOpensDataString, false));
    // The first bytes of a line on an idle wire go at once, inside the write.
    handOver();
}

void PacedSerialControl::endLineTick(bool closedDataString) noexcept
{
    m_gate->endTick(closedDataString);
    if (std::optional<QString> notice = m_gate->takeNotice(); notice && m_noticeHandler)
        later([this, text = *notice] {
            if (m_noticeHandler)
                m_noticeHandler(text);
        });
}

void PacedSerialControl::finishCurrentLine()
{
    if (!m_pacer)
        return;
    m_pacer->dropAfterCurrentLine();
    if (const QByteArray rest = m_pacer->takeAll(); !rest.isEmpty())
        deliver(rest);
    m_handOver->cancel();
}

void PacedSerialControl::handOver()
{
    if (!m_pacer)
        return;
    const qint64 now = m_clock.nowNs();
    // After the program was stopped for a while (SIGSTOP, a stalled machine) the wire goes on
    // at its rate from now: what waits is not handed over in one burst.
    m_pacer->resumeIfStalled(now);
    if (const QByteArray due = m_pacer->takeDue(now); !due.isEmpty())
        deliver(due);
    arm();
}

void PacedSerialControl::deliver(const QByteArray& bytes)
{
    m_bytesHandedOver += bytes.size();
    m_device->deliver(bytes);
}

void PacedSerialControl::arm()
{
    const std::optional<qint64> at =
        m_pacer ? m_pacer->nextHandOverNs(m_clock.nowNs()) : std::nullopt;
    if (at)
        m_handOver->set(*at);
    else
        m_handOver->cancel();
}

// The device has gone away: nothing more is handed to it, and the failure is handed on from the
// event loop (it stops the run, which must not happen inside a write).
void PacedSerialControl::deviceGone(const QString& reason)
{
    if (m_failing)
        return;
    m_failing = true;
    if (m_pacer)
        m_pacer->clear();
    m_handOver->cancel();
    later([this, reason] {
        if (!portOpen())
            return;
        m_device->close();
        deviceFailed(reason);
    });
}

void PacedSerialControl::later(std::function<void()> action)
{
    m_later.push_back(std::move(action));
    m_laterAlarm->set(m_clock.nowNs());
}

void PacedSerialControl::runLater()
{
    for (const std::function<void()>& action : std::exchange(m_later, {}))
        action();
}
