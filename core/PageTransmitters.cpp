#include "core/PageTransmitters.h"

#include "core/Form1.h"
#include "core/Int16.h"
#include "core/TimerRoles.h"

PageTransmitters::PageTransmitters(Form1& form, const Conversions& rules)
    : m_form(form), m_fields(rules)
{
}

void PageTransmitters::Timer1_Timer()
{
    transmit(m_form.Timer1);
}

void PageTransmitters::Timer3_Timer()
{
    transmit(m_form.Timer3);
}

void PageTransmitters::Timer4_Timer()
{
    transmit(m_form.Timer4);
}

void PageTransmitters::Timer5_Timer()
{
    transmit(m_form.Timer5);
}

void PageTransmitters::transmit(Timer& own)
{
    const TimerRole& role = TimerRoles::of(own.number());
    if (role.mode == RunMode::TwoPage)
        twoPageTick(own, role);
    else
        onePageTick(own, role);
}

// Between data strings the timer's interval equals the data string gap, and this tick opens
// a data string with a page alone; inside one, this tick sends the closing page.
void PageTransmitters::twoPageTick(Timer& own, const TimerRole& role)
{
    SerialControl::Tick tick = m_form.MSComm1.beginTick();
    const bool betweenDataStrings = double(own.interval()) == m_fields.number(m_form.Text3);
    own.setInterval(betweenDataStrings ? m_fields.int32(m_form.Text2)
                                       : m_fields.int32(m_form.Text3));
    writePage(role.valueOffset());
    if (m_fields.number(m_form.Text3) == double(own.interval())) {
        writeClosingLines(role);
        tick.closesDataString();
    }
}

// Every tick is a whole data string, as long as the data string gap is a whole number.
void PageTransmitters::onePageTick(Timer& own, const TimerRole& role)
{
    SerialControl::Tick tick = m_form.MSComm1.beginTick();
    own.setInterval(m_fields.int32(m_form.Text3));
    writePage(role.valueOffset());
    if (m_fields.number(m_form.Text3) == double(own.interval())) {
        writeClosingLines(role);
        tick.closesDataString();
    }
}

void PageTransmitters::writePage(qint16 valueOffset)
{
    const qint16 points = m_fields.int16(m_form.Text1);
    Int16::forEach(1, points, "the data point counter", [&](qint16 i) {
        writeLine(Conversions::FormatInt16(Int16::add(i, valueOffset, "a data point value")));
    });
}

void PageTransmitters::writeClosingLines(const TimerRole& role)
{
    const qint16 alarmCount = m_fields.int16(m_form.Text6);
    Int16::forEach(1, alarmCount, "the alarm counter", [&](qint16 j) {
        // Alarms beyond the fourth have no button to raise them: they are always clear.
        const bool carriesState = role.carriesAlarmStates && j <= Form1::alarmCount;
        writeLine(carriesState ? Conversions::FormatInt16(m_form.AlarmState(j))
                               : QStringLiteral("0"));
    });
    writeLine(m_form.Text8.text());
}

void PageTransmitters::writeLine(const QString& text)
{
    m_form.MSComm1.setOutput(text + QStringLiteral("\r\n"));
}
