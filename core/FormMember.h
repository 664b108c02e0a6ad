#pragma once

// Names one member of the form state, for telling an observer what changed.
// `index` is the control's index within its kind: 1..8 for the fields, 1..4 for the alarm
// buttons, lamps and flags, 1..6 for the timers, 0 where the kind has one member.
struct FormMember {
    enum class Kind {
        Text,        // Text1..Text8
        RunningLamp, // Shape5: fill and border
        StoppedLamp, // Shape1: fill
        AlarmLamp,   // Shape3(i): fill and visibility
        AlarmButton, // Command4(i): visibility
        Timer,       // Timer1..Timer6: Enabled and Interval
        AlarmState,  // AlarmState(i)
        SwitchTicks, // SwitchTicks
        PortOpen,    // MSComm1.PortOpen
    };
    Kind kind;
    int index = 0;

    bool operator==(const FormMember&) const = default;
};

class FormObserver
{
public:
    virtual ~FormObserver() = default;
    virtual void memberChanged(FormMember member) = 0;
};
