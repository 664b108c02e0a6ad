#include "serial/WireFeed.h"

#include "core/Clock.h"
#include "serial/SerialDevice.h"

#include <utility>

WireFeed::WireFeed(Clock& clock, SerialDevice& device, PacerFactory pacerFor)
    : m_clock(clock), m_device(device), m_pacerFor(std::move(pacerFor)),
      m_alarm(clock.makeAlarm([this] { handOver(); })),
      m_breakAlarm(clock.makeAlarm([this] { setBreak(); }))
{
}

WireFeed::~WireFeed() = default;

void WireFeed::beginRun(double charactersPerSecond)
{
    if (!m_pacer || m_pacer->isEmpty())
        m_pacer = m_pacerFor(charactersPerSecond);
}

void WireFeed::append(const QByteArray& line, bool opensDataString)
{
    // A tick handled after a stall may come before the hand-over alarm that would take the wire
    // up again: what waits is moved to now first, and the new line goes after it, not the stall
    // later again.
    const Pacer::Ns now = m_clock.now();
    m_pacer->resumeIfStalled(now);
    const bool wireWasIdle = m_pacer->isEmpty();
    m_pacer->append(line, now, opensDataString);
    // Behind other lines a line changes neither what is due next nor when: the alarm set for
    // those stands (a tick's twenty lines set it once, not twenty times). A line on an idle wire
    // has its first byte due now, and a data string's opening its own moment.
    if (wireWasIdle || opensDataString)
        handOver();
}

void WireFeed::holdBack(std::chrono::nanoseconds span, bool breakCondition)
{
    const Pacer::Ns from = m_pacer->holdBack(m_clock.now(), span);
    if (!breakCondition)
        return;
    m_breakChanges.emplace_back(from, true);
    m_breakChanges.emplace_back(from + span, false);
    m_breakAlarm->set(m_breakChanges.front().first);
}

// The break goes on when the wire is free and off when its span is over; what follows it is
// handed over then, not before (a UART would send it into the break).
void WireFeed::setBreak()
{
    const Pacer::Ns now = m_clock.now();
    while (!m_breakChanges.empty() && m_breakChanges.front().first <= now) {
        m_breakOn = m_breakChanges.front().second;
        m_device.setBreak(m_breakOn);
        m_breakChanges.pop_front();
    }
    if (!m_breakChanges.empty())
        m_breakAlarm->set(m_breakChanges.front().first);
    if (!m_breakOn)
        handOver();
}

// Stop, or the program's end: the line is not left in a break.
void WireFeed::releaseBreak()
{
    m_breakChanges.clear();
    m_breakAlarm->cancel();
    if (std::exchange(m_breakOn, false))
        m_device.setBreak(false);
}

void WireFeed::dropAfterCurrentLine()
{
    releaseBreak();
    if (m_pacer)
        m_pacer->dropAfterCurrentLine();
    arm();
}

void WireFeed::finishCurrentLine()
{
    releaseBreak();
    if (!m_pacer)
        return;
    m_pacer->dropAfterCurrentLine();
    if (const QByteArray rest = m_pacer->takeAll(); !rest.isEmpty())
        deliver(rest);
    m_alarm->cancel();
}

void WireFeed::clear()
{
    if (m_pacer)
        m_pacer->clear();
    m_alarm->cancel();
    m_breakAlarm->cancel();
    m_breakChanges.clear();
    m_breakOn = false;
}

qint64 WireFeed::queuedBytes() const
{
    return m_pacer ? m_pacer->queuedBytes() : 0;
}

qint64 WireFeed::backlogBytes() const
{
    return m_pacer ? m_pacer->backlogBytes(m_clock.now()) : 0;
}

void WireFeed::handOver()
{
    if (!m_pacer || m_breakOn)
        return;
    const Pacer::Ns now = m_clock.now();
    // After the program was stopped for a while (SIGSTOP, a stalled machine) the wire goes on
    // at its rate from now: what waits is not handed over in one burst.
    m_pacer->resumeIfStalled(now);
    if (const QByteArray due = m_pacer->takeDue(now); !due.isEmpty())
        deliver(due);
    arm();
}

void WireFeed::deliver(const QByteArray& bytes)
{
    m_bytesHandedOver += bytes.size();
    m_device.deliver(bytes);
}

void WireFeed::arm()
{
    const std::optional<Pacer::Ns> at =
        m_pacer ? m_pacer->nextHandOver(m_clock.now()) : std::nullopt;
    if (at)
        m_alarm->set(*at);
    else
        m_alarm->cancel();
}
