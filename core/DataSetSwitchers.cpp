#include "core/DataSetSwitchers.h"

#include "core/Form1.h"
#include "core/Int16.h"
#include "core/TimerRoles.h"

DataSetSwitchers::DataSetSwitchers(Form1& form, const Conversions& rules)
    : m_form(form), m_fields(rules)
{
}

void DataSetSwitchers::Timer2_Timer()
{
    switchDataSet(m_form.Timer2);
}

void DataSetSwitchers::Timer6_Timer()
{
    switchDataSet(m_form.Timer6);
}

// Which data set is on the line is held only in the transmitters' Enabled flags.
void DataSetSwitchers::switchDataSet(const Timer& own)
{
    const RunMode mode = TimerRoles::of(own.number()).mode;
    Timer& firstDataSet = m_form.timer(TimerRoles::transmitter(mode, DataSet::First).number);
    Timer& secondDataSet = m_form.timer(TimerRoles::transmitter(mode, DataSet::Second).number);
    m_form.setSwitchTicks(Int16::add(m_form.SwitchTicks(), 1, "the switch tick count"));
    m_form.Text5.setText(Conversions::FormatInt16(m_form.SwitchTicks()));
    if (firstDataSet.enabled()) {
        // Hand over: the second data set's first tick comes one page gap from now and, being
        // inside a data string, closes it.
        firstDataSet.setEnabled(false);
        secondDataSet.setEnabled(true);
        secondDataSet.setInterval(m_fields.int32(m_form.Text2));
        m_form.setSwitchTicks(0);
    } else {
        // Hand back: the first data set resumes in the phase its own last tick left.
        firstDataSet.setEnabled(true);
        secondDataSet.setEnabled(false);
    }
}
