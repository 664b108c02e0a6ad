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
}

// The line on the wire is finished, nothing after it: a UART has it already; on the virtual
// line its rest goes on being paced.
void PacedLine::close()
{
    m_events = nullptr;
    m_feed.dropAfterCurrentLine();
    m_device->close();
}

bool PacedLine::beginTick(bool opensDataString)
{
    m_tickLetThrough =
        m_gate->beginTick(opensDataString, m_feed.backlogBytes(), m_clock.nowMs());
    if (opensDataString)
        m_nextLineOpensDataString = m_tickLetThrough;
    return m_tickLetThrough;
}

void PacedLine::write(const QByteArray& bytes)
{
    m_gate->produced(bytes.size());
    if (!m_tickLetThrough || m_failing)
        return;
    m_feed.append(bytes, std::exchange(m_nextLineOpensDataString, false));
}

void PacedLine::holdBack(std::chrono::milliseconds span, bool breakCondition)
{
    if (m_tickLetThrough && !m_failing)
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
