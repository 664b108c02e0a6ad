#pragma once

#include "core/AlarmButton.h"
#include "core/ChangeNotifier.h"
#include "core/Lamp.h"
#include "core/SerialControl.h"
#include "core/TextField.h"
#include "core/Timer.h"

#include <array>

class TimerFacility;

// The whole state of the program: the window's fields, lamps, alarm buttons, timers and
// serial control, and the alarm flags and switcher count. Settings live here as field texts
// and are converted on every use; whether the simulator runs is seen in the timers, the port
// and the lamps. One observer (the window) is told which member changed.
class Form1
{
public:
    static constexpr int alarmCount = 4;

    Form1(TimerFacility& timers, SerialControl& port);
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;
    ~Form1();

    void setObserver(FormObserver* observer) { m_notifier.setObserver(observer); }

    TextField Text1; // Number of Data Points/Page
    TextField Text2; // Page Gap mS
    TextField Text3; // Data String Gap mS
    TextField Text4; // Number of Data Pages
    TextField Text5; // display of SwitchTicks
    TextField Text6; // Number of Alarms
    TextField Text7; // Com Port
    TextField Text8; // Data Terminator

    Lamp Shape5; // running lamp
    Lamp Shape1; // stopped lamp

    Timer Timer1; // two-page transmitter, first data set
    Timer Timer2; // two-page switcher
    Timer Timer3; // two-page transmitter, second data set
    Timer Timer4; // one-page transmitter, first data set
    Timer Timer5; // one-page transmitter, second data set
    Timer Timer6; // one-page switcher

    SerialControl& MSComm1;

    // Alarm lamps, buttons and flags, 1..4; any other index is out of range.
    Lamp& Shape3(int index);
    const Lamp& Shape3(int index) const;
    AlarmButton& Command4(int index);
    const AlarmButton& Command4(int index) const;
    qint16 AlarmState(int index) const;
    void setAlarmState(int index, qint16 state);

    qint16 SwitchTicks() const { return m_switchTicks; }
    void setSwitchTicks(qint16 ticks);

    // Fields 1..8 and timers 1..6 by number, for code that goes through them all.
    TextField& text(int number);
    const TextField& text(int number) const;
    Timer& timer(int number);
    const Timer& timer(int number) const;

private:
    static int alarmSlot(int index);

    ChangeNotifier m_notifier;
    std::array<Lamp, alarmCount> m_shape3;
    std::array<AlarmButton, alarmCount> m_command4;
    std::array<qint16, alarmCount> m_alarmState{};
    qint16 m_switchTicks = 0;
};
