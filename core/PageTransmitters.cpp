#include "core/PageTransmitters.h"

#include "core/Form1.h"
#include "core/Int16.h"

PageTransmitters::PageTransmitters(Form1& form, const Conversions& rules)
    : m_form(form), m_fields(rules)
{
}

void PageTransmitters::Timer1_Timer()
{
    twoPageTick(m_form.Timer1, 0);
}

void PageTransmitters::Timer3_Timer()
{
    twoPageTick(m_form.Timer3, 10);
}

void PageTransmitters::Timer4_Timer()
{
    onePageTick(m_form.Timer4, 0, AlarmLines::AlarmStates);
}

void PageTransmitters::Timer5_Timer()
{
    onePageTick(m_form.Timer5, 10, AlarmLines::AllClear);
}

// Between data strings the timer's interval equals the data string gap, and this tick opens
// a data string with a page alone; inside one, this tick sends the closing page.
void PageTransmitters::twoPageTick(Timer& own, qint16 valueOffset)
{
    SerialControl::Tick tick = m_form.MSComm1.beginTick();
    const bool betweenDataStrings = double(own.interval()) == m_fields.number(m_form.Text3);
    own.setInterval(betweenDataStrings ? m_fields.int32(m_form.Text2)
                                       : m_fields.int32(m_form.Text3));
    writePage(valueOffset);
    if (m_fields.number(m_form.Text3) == double(own.interval())) {
        writeClosingLines(AlarmLines::AllClear);
        tick.closesDataString();
    }
}

// Every tick is a whole data string, as long as the data string gap is a whole number.
void PageTransmitters::onePageTick(Timer& own, qint16 valueOffset, AlarmLines alarms)
{
    SerialControl::Tick tick = m_form.MSComm1.beginTick();
    own.setInterval(m_fields.int32(m_form.Text3));
    writePage(valueOffset);
    if (m_fields.number(m_form.Text3) == double(own.interval())) {
        writeClosingLines(alarms);
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

void PageTransmitters::writeClosingLines(AlarmLines alarms)
{
    const qint16 alarmCount = m_fields.int16(m_form.Text6);
    Int16::forEach(1, alarmCount, "the alarm counter", [&](qint16 j) {
        // Alarms beyond the fourth have no button to raise them: they are always clear.
        const bool carriesState = alarms == AlarmLines::AlarmStates && j <= Form1::alarmCount;
        writeLine(carriesState ? Conversions::FormatInt16(m_form.AlarmState(j))
                               : QStringLiteral("0"));
    });
    writeLine(m_form.Text8.text());
}

void PageTransmitters::writeLine(const QString& text)
{
    m_form.MSComm1.setOutput(text + QStringLiteral("\r\n"));
}
