// How late the monotonic clock's alarms ring on this system, by each way Windows offers: the
// high-resolution waitable timer the program uses, Qt's precise timer at the system's timer
// resolution, and Qt's precise timer with the resolution raised to 1 ms (timeBeginPeriod) for
// the measurement and restored after. Run under Wine by `make bench`, or on Windows itself:
//
//     dryx-alarm-bench [ALARMS]
//
// Each way sets ALARMS alarms (default 400) one after the other, at the intervals the line's
// timers and pacers use (1 to 50 ms), and prints the lateness of the ring, measured on the
// performance counter: median, 99th percentile and worst, in ms.
#include "platform/SystemAlarms.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstdio>
#include <vector>
#include <windows.h>

namespace
{
using namespace std::chrono;

using AlarmMaker = std::unique_ptr<Alarm> (*)(const MonotonicClock&, const Clock::Ring&);

std::unique_ptr<Alarm> qtAlarm(const MonotonicClock& clock, const Clock::Ring& ring)
{
    return makeQtTimerAlarm(clock, ring);
}

// Lateness of `count` rings, each alarm set from the previous ring.
std::vector<double> measure(MonotonicClock& clock, AlarmMaker make, int count)
{
    static constexpr int intervalsMs[] = {1, 2, 5, 10, 16, 20, 50};
    std::vector<double> lateMs;
    nanoseconds moment{};
    std::unique_ptr<Alarm> alarm;
    const auto setNext = [&] {
        moment = clock.now() + milliseconds(intervalsMs[lateMs.size() % std::size(intervalsMs)]);
        alarm->set(moment);
    };
    alarm = make(clock, [&] {
        lateMs.push_back(duration<double, std::milli>(clock.now() - moment).count());
        if (int(lateMs.size()) < count)
            setNext();
        else
            QCoreApplication::quit();
    });
    if (!alarm)
        return {};
    setNext();
    QCoreApplication::exec();
    return lateMs;
}

void report(const char* way, std::vector<double> lateMs)
{
    if (lateMs.empty()) {
        std::printf("%-44s not to be had here\n", way);
        return;
    }
    std::sort(lateMs.begin(), lateMs.end());
    const auto at = [&](double q) { return lateMs[size_t(q * double(lateMs.size() - 1))]; };
    const auto within1 =
        std::count_if(lateMs.begin(), lateMs.end(), [](double l) { return l <= 1; });
    std::printf("%-44s median %6.3f ms, p99 %6.3f ms, max %6.3f ms; %zu of %zu within 1 ms\n", way,
                at(0.5), at(0.99), lateMs.back(), size_t(within1), lateMs.size());
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const int count = argc > 1 ? std::max(10, std::atoi(argv[1])) : 400;
    MonotonicClock clock;
    report("high-resolution waitable timer (the program's)",
           measure(clock, &makeSystemAlarm, count));
    report("Qt precise timer, system timer resolution", measure(clock, &qtAlarm, count));
    timeBeginPeriod(1);
    report("Qt precise timer, resolution raised to 1 ms", measure(clock, &qtAlarm, count));
    timeEndPeriod(1);
    return 0;
}
