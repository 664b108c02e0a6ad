#pragma once

#include <functional>
#include <memory>
#include <vector>

class Alarm;
class Clock;

// Calls made from the event loop, after the write or the tick that asked for them: telling the
// operator, or stopping a run, must never happen inside one of the run's own writes.
class DeferredCalls
{
public:
    explicit DeferredCalls(Clock& clock);
    ~DeferredCalls();
    DeferredCalls(const DeferredCalls&) = delete;
    DeferredCalls& operator=(const DeferredCalls&) = delete;

    void post(std::function<void()> call);

private:
    void runAll();

    Clock& m_clock;
    std::unique_ptr<Alarm> m_alarm;
    std::vector<std::function<void()>> m_calls;
};
