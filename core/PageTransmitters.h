#pragma once

#include "core/FieldReader.h"

class Form1;
class Timer;
struct TimerRole;

// The four transmitters that put data strings on the line, each the tick handler of its
// timer, doing what the timer's role says (its mode, its data set, whether its alarm lines
// carry the alarm states). They keep nothing between ticks: every tick reads the fields afresh,
// and a two-page transmitter knows where it is in a data string only from its own timer's
// interval.
//
// Every line is its text and CR LF, written to the port by a write of its own as soon as it
// is built: the receiver frames on CR LF and expects nothing else on the line.
class PageTransmitters
{
public:
    PageTransmitters(Form1& form, const Conversions& rules);

    void Timer1_Timer();
    void Timer3_Timer();
    void Timer4_Timer();
    void Timer5_Timer();

private:
    void transmit(Timer& own);
    void twoPageTick(Timer& own, const TimerRole& role);
    void onePageTick(Timer& own, const TimerRole& role);
    void writePage(qint16 valueOffset);
    void writeClosingLines(const TimerRole& role);
    void writeLine(const QString& text);

    Form1& m_form;
    FieldReader m_fields;
};
