#include "serial/PacedLine.h"

#include "core/Clock.h"
#include "core/ErrorReporter.h"

#include <utility>

PacedLine::PacedLine(Clock& clock, std::unique_ptr<SerialDevice> device,
                     WireFeed::PacerFactory pacerFor, ErrorReporter& reporter)
    : m_clock(clock), m_device(std::move(device)), m_feed(clock, *m_device, std::move(pacerFor)),
      m_later(clock), m_reporter(reporter)
{
}

PacedLine::~PacedLine() = default;

QString PacedLine::describe(qint16 port) const
{
    return m_device->describe(port);
}

void PacedLine::open(qint16 port, const LineSettings& settings, SerialLine::Events& events)
{
    m_device->open(port, settings, *this);
    m_events = &events;
    m_failing = false;
    m_feed.beginRun(settings.charactersPerSecond());
    m_gate = std::make_unique<DataStringGate>(settings.charactersPerSecond());
    m_nextLineOpensDataString = false;
    m_idleReaderTold = false;
}

// The line on the wire is finished, nothing after it: a UART has it already; on the virtual
// line its rest goes on being paced.
void PacedLine::close()
{
    m_events = nullptr;
    m_feed.dropAfterCurrentLine();
    m_device->close();
}

Delivery PacedLine::beginTick(bool opensDataString)
{
    const bool fits = m_gate->beginTick(opensDataString, m_feed.backlogBytes(), m_clock.nowMs());
    if (opensDataString) {
        m_delivery = fits ? decide() : Delivery::LeftOut;
        m_nextLineOpensDataString = m_delivery == Delivery::Sent;
    }
    return m_delivery;
}

// A data string the line can carry: the reader must be able to take it whole as well, beside
// what waits for the wire before it. Its size is not known yet; the one before it stands in
// (the reader's side keeps some slack beyond its buffer for a longer one).
Delivery PacedLine::decide()
{
    const std::optional<SerialDevice::IdleReader> idle =
        m_device->idleReader(m_feed.queuedBytes() + m_gate->lastDataStringBytes());
    if (!idle)
        return Delivery::Sent;
    if (!std::exchange(m_idleReaderTold, true)) {
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(idle->idleFor);
        m_later.post([this, text = QStringLiteral("the reader of %1 has not read for %2 s: data "
                                                  "strings are lost until it reads again")
                                       .arg(idle->where)
                                       .arg(seconds.count())] {
            m_reporter.notice(QStringLiteral("Data transmission"), text);
        });
    }
    return Delivery::Lost;
}

void PacedLine::write(const QByteArray& bytes)
{
    m_gate->produced(bytes.size());
    if (m_delivery != Delivery::Sent || m_failing)
        return;
    m_feed.append(bytes, std::exchange(m_nextLineOpensDataString, false));
}

void PacedLine::holdBack(std::chrono::milliseconds span, bool breakCondition)
{
    if (m_delivery == Delivery::Sent && !m_failing)
        m_feed.holdBack(span, breakCondition);
}

void PacedLine::endTick(bool /*endsDataString*/) noexcept
{
    if (std::optional<QString> notice = m_gate->takeNotice())
        m_later.post([this, text = *notice] {
            m_reporter.notice(QStringLiteral("Data transmission"), text);
        });
}

// The device has gone away: nothing more is handed to it, and the failure is handed on from the
// event loop (it stops the run, which must not happen inside a write).
void PacedLine::gone(const QString& reason)
{
    if (m_failing)
        return;
    m_failing = true;
    m_feed.clear();
    m_later.post([this, reason] {
        if (!m_events)
            return;
        m_device->close();
        std::exchange(m_events, nullptr)->gaveOut(reason);
    });
}
