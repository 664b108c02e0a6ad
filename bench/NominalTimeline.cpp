#include "bench/NominalTimeline.h"

#include "core/Conversions.h"
#include "core/ErrorReporter.h"
#include "core/Form1.h"
#include "core/MapSettingsStore.h"
#include "core/SerialControl.h"
#include "core/Simulator.h"
#include "core/VirtualTimerFacility.h"

#include <algorithm>

namespace
{
class WireModel : public SerialControl
{
public:
    explicit WireModel(const TimerFacility& clock) : m_clock(clock) {}
    QList<NominalTimeline::DataString> strings;
    QByteArray terminatorLine;

protected:
    void openDevice(qint16, const LineSettings&) override {}
    void closeDevice() override {}
    void writeBytes(const QByteArray& bytes) override
    {
        const double start = std::max(double(m_clock.nowMs()), m_idleMs);
        m_idleMs = start + bytes.size() * 1000.0 / 960.0;
        if (m_closed || strings.isEmpty()) {
            strings.append(NominalTimeline::DataString{start, QByteArray()});
            m_closed = false;
        }
        strings.last().bytes += bytes;
        m_closed = bytes == terminatorLine;
    }

private:
    const TimerFacility& m_clock;
    double m_idleMs = 0;
    bool m_closed = true;
};

class Silent : public ErrorReporter
{
public:
    void report(const QString&) override {}
};
} // namespace

QList<NominalTimeline::DataString>
NominalTimeline::compute(const QList<QPair<int, QString>>& entries, qint64 durationMs)
{
    VirtualTimerFacility timers;
    WireModel wire(timers);
    Form1 form(timers, wire);
    MapSettingsStore store;
    Silent reporter;
    Conversions rules(QLocale::c());
    Simulator simulator(form, store, timers, reporter, rules, nullptr);
    for (const auto& [field, text] : entries)
        form.text(field).setText(text);
    wire.terminatorLine = form.Text8.text().toLatin1() + "\r\n";
    simulator.Command1_Click();
    timers.advanceTo(durationMs);
    return wire.strings;
}
