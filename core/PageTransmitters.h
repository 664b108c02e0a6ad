#pragma once

#include "core/FieldReader.h"

class Form1;
class Timer;

// The four transmitters that put data strings on the line, each the tick handler of its
// timer. They keep nothing between ticks: every tick reads the fields afresh, and a two-page
// transmitter knows where it is in a data string only from its own timer's interval.
//
// Every line is its text and CR LF, written to the port by a write of its own as soon as it
// is built: the receiver frames on CR LF and expects nothing else on the line.
class PageTransmitters
{
public:
    PageTransmitters(Form1& form, const Conversions& rules);

    void Timer1_Timer(); // two-page, first data set
    void Timer3_Timer(); // two-page, second data set
    void Timer4_Timer(); // one-page, first data set, carries the alarm states
    void Timer5_Timer(); // one-page, second data set

private:
    enum class AlarmLines { AllClear, AlarmStates };

    void twoPageTick(Timer& own, qint16 valueOffset);
    void onePageTick(Timer& own, qint16 valueOffset, AlarmLines alarms);
    void writePage(qint16 valueOffset);
    void writeClosingLines(AlarmLines alarms);
    void writeLine(const QString& text);

    Form1& m_form;
    FieldReader m_fields;
};
