#include "core/Form1.h"

#include "core/SimulatorError.h"
#include "core/TimerRoles.h"

namespace
{
FormMember alarmLamp(int index)
{
    return {FormMember::Kind::AlarmLamp, index};
}
} // namespace

Form1::Form1(TimerFacility& timers, SerialControl& port)
    : Text1(m_notifier, Fields::row(1)), Text2(m_notifier, Fields::row(2)),
      Text3(m_notifier, Fields::row(3)), Text4(m_notifier, Fields::row(4)),
      Text5(m_notifier, Fields::row(5)), Text6(m_notifier, Fields::row(6)),
      Text7(m_notifier, Fields::row(7)), Text8(m_notifier, Fields::row(8)),
      Shape5(m_notifier, {FormMember::Kind::RunningLamp}, Colours::runningDark, Colours::lightGrey,
             true),
      Shape1(m_notifier, {FormMember::Kind::StoppedLamp}, Colours::stoppedLit, Colours::black,
             true),
      Timer1(m_notifier, timers, 1), Timer2(m_notifier, timers, 2), Timer3(m_notifier, timers, 3),
      Timer4(m_notifier, timers, 4), Timer5(m_notifier, timers, 5), Timer6(m_notifier, timers, 6),
      MSComm1(port),
      m_shape3{Lamp(m_notifier, alarmLamp(1), Colours::alarmClear, Colours::black, false),
               Lamp(m_notifier, alarmLamp(2), Colours::alarmClear, Colours::black, false),
               Lamp(m_notifier, alarmLamp(3), Colours::alarmClear, Colours::black, false),
               Lamp(m_notifier, alarmLamp(4), Colours::alarmClear, Colours::black, false)},
      m_command4{AlarmButton(m_notifier, 1), AlarmButton(m_notifier, 2), AlarmButton(m_notifier, 3),
                 AlarmButton(m_notifier, 4)}
{
    MSComm1.setChangeNotifier(&m_notifier);
}

Form1::~Form1()
{
    MSComm1.setChangeNotifier(nullptr);
}

int Form1::alarmSlot(int index)
{
    if (index < 1 || index > alarmCount)
        throw SimulatorError(
            ErrorKind::IndexOutOfRange,
            QStringLiteral("there is no alarm %1; the tool has alarms 1 to 4").arg(index));
    return index - 1;
}

Lamp& Form1::Shape3(int index)
{
    return m_shape3[alarmSlot(index)];
}

const Lamp& Form1::Shape3(int index) const
{
    return m_shape3[alarmSlot(index)];
}

AlarmButton& Form1::Command4(int index)
{
    return m_command4[alarmSlot(index)];
}

const AlarmButton& Form1::Command4(int index) const
{
    return m_command4[alarmSlot(index)];
}

qint16 Form1::AlarmState(int index) const
{
    return m_alarmState[alarmSlot(index)];
}

void Form1::setAlarmState(int index, qint16 state)
{
    m_alarmState[alarmSlot(index)] = state;
    m_notifier.notify({FormMember::Kind::AlarmState, index});
}

void Form1::setSwitchTicks(qint16 ticks)
{
    m_switchTicks = ticks;
    m_notifier.notify({FormMember::Kind::SwitchTicks});
}

TextField& Form1::text(int number)
{
    return const_cast<TextField&>(std::as_const(*this).text(number));
}

const TextField& Form1::text(int number) const
{
    const std::array<const TextField*, Fields::count> fields{&Text1, &Text2, &Text3, &Text4,
                                                             &Text5, &Text6, &Text7, &Text8};
    if (number < 1 || number > Fields::count)
        throw std::out_of_range("no such field");
    return *fields[number - 1];
}

Timer& Form1::timer(int number)
{
    return const_cast<Timer&>(std::as_const(*this).timer(number));
}

const Timer& Form1::timer(int number) const
{
    const std::array<const Timer*, TimerRoles::count> timers{&Timer1, &Timer2, &Timer3,
                                                             &Timer4, &Timer5, &Timer6};
    if (number < 1 || number > TimerRoles::count)
        throw std::out_of_range("no such timer");
    return *timers[number - 1];
}
