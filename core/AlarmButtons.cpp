#include "core/AlarmButtons.h"

#include "core/Form1.h"

void AlarmButtons::Command4_Click(int index)
{
    if (index < 1 || index > Form1::alarmCount)
        return;
    // The flag is written before the lamp.
    if (m_form.AlarmState(index) == 0) {
        m_form.setAlarmState(index, 1);
        m_form.Shape3(index).setFillColor(Colours::alarmRaised);
    } else {
        m_form.setAlarmState(index, 0);
        m_form.Shape3(index).setFillColor(Colours::alarmClear);
    }
}
