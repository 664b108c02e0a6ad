#pragma once

#include "serial/Pacer.h"

// For a device with a UART of its own, which paces the bytes itself: a whole line is handed over
// 20 ms before its first byte is due, so the device always has the next line when it finishes
// one and never holds more than a line or two. Stop then cuts no line in two, and what waits
// for the wire is bounded.
class UartPacer final : public Pacer
{
public:
    static constexpr Ns lead = std::chrono::milliseconds(20);

    using Pacer::Pacer;

    QByteArray takeDue(Ns now) override;

protected:
    std::optional<Ns> nextDue() const override;
};
