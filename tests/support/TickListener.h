#pragma once

#include "core/RunObserver.h"

#include <functional>

// Hears every transmitter tick of a run, at its due time since Start.
struct TickListener final : RunObserver {
    using Heard = std::function<void(std::chrono::milliseconds sinceStart, const TimerRole& timer,
                                     const TickRecord& tick)>;
    explicit TickListener(Heard heard) : m_heard(std::move(heard)) {}

    void ticked(std::chrono::milliseconds sinceStart, const TimerRole& timer,
                const TickRecord& tick) override
    {
        m_heard(sinceStart, timer, tick);
    }

private:
    Heard m_heard;
};
