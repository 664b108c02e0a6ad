#include "bench/NominalTimeline.h"

#include "core/Conversions.h"
#include "core/ErrorReporter.h"
#include "core/Form1.h"
#include "core/MapSettingsStore.h"
#include "core/SerialControl.h"
#include "core/Simulator.h"
#include "core/TimerFacility.h"
#include "core/VirtualClock.h"

#include <algorithm>

namespace
{
// The wire at 960 characters a second, with nothing left out: when each data string starts.
class WireModel final : public SerialLine
{
public:
    explicit WireModel(const Clock& clock) : m_clock(clock) {}
    QList<NominalTimeline::DataString> strings;
    QByteArray terminatorLine;

    void open(qint16, const LineSettings&, Events&) override {}
    void close() override {}
    Delivery beginTick(bool) override { return Delivery::Sent; }
    void endTick(bool) noexcept override {}
    void holdBack(std::chrono::milliseconds, bool) override {}
    bool sendsBreaks() const override { return false; }
    QString describe(qint16 port) const override { return QStringLiteral("Com Port %1").arg(port); }
    void write(const QByteArray& bytes) override
    {
        const double start = std::max(double(m_clock.nowMs().count()), m_idleMs);
        m_idleMs = start + double(bytes.size()) * 1000.0 / 960.0;
        if (m_closed || strings.isEmpty()) {
            strings.append(NominalTimeline::DataString{start, QByteArray()});
            m_closed = false;
        }
        strings.last().bytes += bytes;
        m_closed = bytes == terminatorLine;
    }

private:
    const Clock& m_clock;
    double m_idleMs = 0;
    bool m_closed = true;
};

class Silent : public ErrorReporter
{
public:
    void report(Severity, const QString&, const QString&) override {}
};
} // namespace

QList<NominalTimeline::DataString>
NominalTimeline::compute(const QList<QPair<int, QString>>& entries, qint64 durationMs)
{
    VirtualClock clock;
    TimerFacility timers(clock);
    auto* model = new WireModel(clock);
    WireModel& wire = *model;
    SerialControl port{std::unique_ptr<SerialLine>(model)};
    Form1 form(timers, port);
    MapSettingsStore store;
    Silent reporter;
    Conversions rules(QLocale::c());
    Simulator simulator(form, store, timers, reporter, rules);
    for (const auto& [field, text] : entries)
        form.text(field).setText(text);
    wire.terminatorLine = form.Text8.text().toLatin1() + "\r\n";
    simulator.Command1_Click();
    clock.advanceTo(std::chrono::milliseconds(durationMs));
    return wire.strings;
}
