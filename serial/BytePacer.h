#pragma once

#include "serial/Pacer.h"

// For the virtual line, which has no UART of its own: each byte is handed over once its start
// bit is due, so the reader sees the bytes come at the line rate.
class BytePacer final : public Pacer
{
public:
    using Pacer::Pacer;

    QByteArray takeDue(Ns now) override;

protected:
    std::optional<Ns> nextDue() const override;
};
