#include "serial/DeferredCalls.h"

#include "core/Clock.h"

#include <utility>

DeferredCalls::DeferredCalls(Clock& clock)
    : m_clock(clock), m_alarm(clock.makeAlarm([this] { runAll(); }))
{
}

DeferredCalls::~DeferredCalls() = default;

void DeferredCalls::post(std::function<void()> call)
{
    m_calls.push_back(std::move(call));
    m_alarm->set(m_clock.now());
}

void DeferredCalls::runAll()
{
    for (const std::function<void()>& call : std::exchange(m_calls, {}))
        call();
}
