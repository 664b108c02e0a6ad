#include "bench/PtyBaseline.h"
#include "bench/MonotonicClock.h"

#include <algorithm>
#include <ctime>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

PtyBaseline::PtyBaseline()
{
    termios raw{};
    ::cfmakeraw(&raw);
    if (::openpty(&m_master, &m_slave, nullptr, &raw, nullptr) != 0) {
        m_master = m_slave = -1;
        return;
    }
    ::fcntl(m_slave, F_SETFL, ::fcntl(m_slave, F_GETFL) | O_NONBLOCK);
    m_firstNs = monotonicNs() + periodNs;
    m_writing = true;
    // Each byte is written at its own moment, so the reader knows when it left.
    m_writer = std::thread([this] {
        for (qint64 i = 0; m_writing; ++i) {
            const qint64 dueNs = m_firstNs + i * periodNs;
            const timespec due{time_t(dueNs / 1'000'000'000), long(dueNs % 1'000'000'000)};
            clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &due, nullptr);
            const char byte = 'x';
            if (::write(m_master, &byte, 1) != 1)
                break;
        }
    });
}

PtyBaseline::~PtyBaseline()
{
    stop();
    if (m_master >= 0) {
        ::close(m_master);
        ::close(m_slave);
    }
}

void PtyBaseline::stop()
{
    m_writing = false;
    if (m_writer.joinable())
        m_writer.join();
}

void PtyBaseline::read(double atMs)
{
    char buffer[64];
    const ssize_t got = ::read(m_slave, buffer, sizeof buffer);
    if (got <= 0)
        return;
    // Bytes read together: the last of them was written last, at its moment.
    m_received += got;
    const double writtenMs = double(m_firstNs + (m_received - 1) * periodNs) / 1e6;
    m_samples.append({writtenMs, atMs - writtenMs});
}

double PtyBaseline::worstNear(double atMs, double spanMs) const
{
    double worst = 0;
    for (const Sample& sample : m_samples)
        if (std::abs(sample.writtenMs - atMs) <= spanMs)
            worst = std::max(worst, sample.delayMs);
    return worst;
}
