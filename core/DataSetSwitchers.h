#pragma once

#include "core/FieldReader.h"

class Form1;
class Timer;

// Every five seconds a switcher hands transmission between the first-data-set and the
// second-data-set transmitter of its mode, so that the receiver sees the values change; it
// counts its ticks into SwitchTicks and shows the count in Text5.
class DataSetSwitchers
{
public:
    DataSetSwitchers(Form1& form, const Conversions& rules);

    void Timer2_Timer();
    void Timer6_Timer();

private:
    void switchDataSet(const Timer& own);

    Form1& m_form;
    FieldReader m_fields;
};
