#pragma once

#include <QString>
#include <QtGlobal>

#include <span>

// A data string is sent as one page or as two pages; which is chosen at Start.
enum class RunMode { OnePage, TwoPage };
// The first data set carries the point numbers 1..N, the second 11..N + 10.
enum class DataSet { First, Second };

// What one of the six timers does.
struct TimerRole {
    enum class Job { Transmitter, Switcher };

    int number; // Timer<number>
    Job job;
    RunMode mode;
    DataSet dataSet;         // a transmitter's: the values it sends; a switcher hands between both
    bool carriesAlarmStates; // its alarm lines carry AlarmState; every other transmitter's are "0"

    QString name() const { return QStringLiteral("Timer%1").arg(number); }
    // What is added to the point number i to give the value of line i.
    qint16 valueOffset() const { return dataSet == DataSet::Second ? 10 : 0; }
};

// The timers, one row each: everything that starts, ticks, names or records a timer reads it
// here.
namespace TimerRoles
{
inline constexpr int count = 6;

std::span<const TimerRole> all();
// Timer 1..6; any other number is a programming error (std::out_of_range).
const TimerRole& of(int timer);
const TimerRole& transmitter(RunMode mode, DataSet dataSet);
const TimerRole& switcher(RunMode mode);
// As the record names a data set: "first", "second".
QString nameOf(DataSet dataSet);
} // namespace TimerRoles
