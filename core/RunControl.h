#pragma once

#include "core/FieldReader.h"

class Form1;

// The Start and Stop buttons. Start lights the running lamp, opens the port and sets one
// transmitter and its switcher going; Stop halts every timer and closes the port.
class RunControl
{
public:
    static constexpr const char* lineSettings = "9600,N,8,1";

    RunControl(Form1& form, const Conversions& rules);

    // A Start that fails leaves the lamps, the port and the timers as they were before it,
    // so that a lit running lamp always means data on the line. A Start while running is
    // refused by the open port, and the run goes on unchanged.
    void Command1_Click();
    void Command3_Click();

private:
    void start();

    Form1& m_form;
    FieldReader m_fields;
};
