#include "serial/PacedSerialControl.h"

#include <cmath>

namespace
{
// The shortest sleep between two hand-overs: bytes are handed over a few at a time, as a
// UART's receive FIFO hands them to the reader, without waking once per character. The first
// byte of a data string is handed over at its exact time all the same.
constexpr qint64 minimumSleepNs = 16'000'000;
} // namespace

PacedSerialControl::PacedSerialControl(LinePacer::Release release, qint64 leadNs)
    : m_release(release), m_leadNs(leadNs)
{
    m_clock.start();
    m_wakeUp.setSingleShot(true);
    m_wakeUp.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_wakeUp, &QTimer::timeout, &m_wakeUp, [this] { pump(); });
}

PacedSerialControl::~PacedSerialControl() = default;

void PacedSerialControl::openDevice(qint16 port, const LineSettings& settings)
{
    openLine(port, settings);
    m_failing = false;
    // A line reopened while the rest of a line from the last run is still going out keeps
    // that rest in front: the pacer is kept when it is not empty.
    if (!m_pacer || m_pacer->isEmpty())
        m_pacer = std::make_unique<LinePacer>(settings.charactersPerSecond(), m_release, m_leadNs);
    m_gate = std::make_unique<DataStringGate>(settings.charactersPerSecond());
}

void PacedSerialControl::closeDevice()
{
    if (m_pacer) {
        m_pacer->dropAfterCurrentLine();
        if (m_release == LinePacer::Release::WholeLines) {
            const QByteArray rest = m_pacer->takeAll();
            if (!rest.isEmpty())
                deliver(rest);
        }
    }
    closeLine();
    arm();
}

void PacedSerialControl::writeBytes(const QByteArray& bytes)
{
    bool opensDataString = false;
    if (!m_gate->inTick())
        opensDataString = m_gate->beginTick(m_pacer->backlogBytes(nowNs()), nowNs() / 1'000'000) &&
                          m_gate->opensDataString();
    m_gate->produced(bytes.size());
    if (!m_gate->letsThrough())
        return;
    m_pacer->append(bytes, nowNs(), opensDataString);
    // The first bytes of a line on an idle wire go at once, inside the write.
    if (const QByteArray due = m_pacer->takeDue(nowNs()); !due.isEmpty())
        deliver(due);
    arm();
}

void PacedSerialControl::tickEnded(bool closedDataString)
{
    if (!m_gate)
        return;
    m_gate->endTick(closedDataString);
    if (std::optional<QString> notice = m_gate->takeNotice(); notice && m_noticeHandler) {
        QTimer::singleShot(0, &m_wakeUp, [this, text = *notice] {
            if (m_noticeHandler)
                m_noticeHandler(text);
        });
    }
}

void PacedSerialControl::finishCurrentLine()
{
    if (!m_pacer)
        return;
    m_pacer->dropAfterCurrentLine();
    if (const QByteArray rest = m_pacer->takeAll(); !rest.isEmpty())
        deliver(rest);
    m_wakeUp.stop();
}

void PacedSerialControl::pump()
{
    if (!m_pacer)
        return;
    if (const QByteArray due = m_pacer->takeDue(nowNs()); !due.isEmpty())
        deliver(due);
    arm();
}

void PacedSerialControl::arm()
{
    const std::optional<qint64> due = m_pacer ? m_pacer->nextDueNs() : std::nullopt;
    if (!due) {
        m_wakeUp.stop();
        return;
    }
    const qint64 now = nowNs();
    qint64 waitNs = std::max(*due - now, minimumSleepNs);
    if (const std::optional<qint64> opening = m_pacer->nextDataStringStartNs())
        waitNs = std::min(waitNs, std::max<qint64>(*opening - now, 0));
    m_wakeUp.start(int(std::ceil(double(waitNs) / 1e6)));
}

void PacedSerialControl::lineGone(const QString& reason)
{
    if (m_failing)
        return;
    m_failing = true;
    if (m_pacer)
        m_pacer->clear();
    m_wakeUp.stop();
    QTimer::singleShot(0, &m_wakeUp, [this, reason] {
        if (!portOpen())
            return;
        closeLine();
        deviceFailed(reason);
    });
}
