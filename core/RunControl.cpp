#include "core/RunControl.h"

#include "core/Form1.h"
#include "core/SimulatorError.h"
#include "core/TimerRoles.h"

namespace
{
// What a failed Start has to put back.
struct RunIndicators {
    Colour runningFill;
    Colour runningBorder;
    Colour stoppedFill;
    bool portOpen;

    static RunIndicators of(const Form1& form)
    {
        return {form.Shape5.fillColor(), form.Shape5.borderColor(), form.Shape1.fillColor(),
                form.MSComm1.portOpen()};
    }

    void restore(Form1& form) const
    {
        form.Shape5.setFillColor(runningFill);
        form.Shape1.setFillColor(stoppedFill);
        form.Shape5.setBorderColor(runningBorder);
        if (!portOpen && form.MSComm1.portOpen())
            form.MSComm1.setPortOpen(false);
    }
};
} // namespace

RunControl::RunControl(Form1& form, const Conversions& rules) : m_form(form), m_fields(rules) {}

void RunControl::Command1_Click()
{
    const RunIndicators before = RunIndicators::of(m_form);
    try {
        start();
    } catch (const SimulatorError&) {
        before.restore(m_form);
        throw;
    }
}

void RunControl::start()
{
    m_form.Shape5.setFillColor(Colours::runningLit);
    m_form.Shape1.setFillColor(Colours::stoppedDim);
    m_form.Shape5.setBorderColor(Colours::black);
    m_form.MSComm1.setCommPort(m_fields.int16(m_form.Text7));
    m_form.MSComm1.setSettings(QLatin1String(lineSettings));
    m_form.MSComm1.setPortOpen(true);
    const RunMode mode = m_fields.number(m_form.Text4) == 2 ? RunMode::TwoPage : RunMode::OnePage;
    Timer& transmitter = m_form.timer(TimerRoles::transmitter(mode, DataSet::First).number);
    Timer& switcher = m_form.timer(TimerRoles::switcher(mode).number);
    // Each timer is enabled before it is given its interval: the interval starts its count,
    // so the first page comes 1000 ms after Start and the first switch 5000 ms after.
    const auto startCount = [](Timer& timer, qint32 intervalMs) {
        timer.setEnabled(true);
        timer.setInterval(intervalMs);
    };
    if (mode == RunMode::TwoPage) {
        startCount(switcher, 5000);
        startCount(transmitter, 1000);
    } else {
        startCount(transmitter, 1000);
        startCount(switcher, 5000);
    }
}

void RunControl::Command3_Click()
{
    m_form.Shape1.setFillColor(Colours::stoppedLit);
    m_form.Shape5.setFillColor(Colours::runningStopped);
    for (const TimerRole& role : TimerRoles::all())
        m_form.timer(role.number).setEnabled(false);
    if (m_form.MSComm1.portOpen())
        m_form.MSComm1.setPortOpen(false);
}
