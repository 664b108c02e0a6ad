#include "bench/PtyBaseline.h"
#include "bench/MonotonicClock.h"
#include "bench/Quantile.h"

#include <QList>

#include <algorithm>
#include <atomic>
#include <ctime>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace
{
constexpr qint64 periodNs = 100'000'000;
} // namespace

PtyBaseline PtyBaseline::measure(qint64 seconds)
{
    int master = -1;
    int slave = -1;
    termios raw{};
    ::cfmakeraw(&raw);
    if (::openpty(&master, &slave, nullptr, &raw, nullptr) != 0)
        return {};

    // Each byte is written at its own moment, so the reader knows when it left.
    const qint64 firstNs = monotonicNs() + periodNs;
    const qint64 count = seconds * 1'000'000'000 / periodNs;
    std::atomic<bool> writing{true};
    std::thread writer([&] {
        for (qint64 i = 0; i < count; ++i) {
            const qint64 dueNs = firstNs + i * periodNs;
            const timespec due{time_t(dueNs / 1'000'000'000), long(dueNs % 1'000'000'000)};
            clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &due, nullptr);
            const char byte = 'x';
            if (::write(master, &byte, 1) != 1)
                break;
        }
        writing = false;
    });

    QList<double> delaysMs;
    for (qint64 received = 0; received < count;) {
        pollfd line{slave, POLLIN, 0};
        if (::poll(&line, 1, 500) <= 0) {
            if (!writing)
                break;
            continue;
        }
        const qint64 atNs = monotonicNs();
        char buffer[64];
        const ssize_t got = ::read(slave, buffer, sizeof buffer);
        if (got <= 0)
            break;
        // Bytes read together: the last of them was written last, at its moment.
        received += got;
        const qint64 writtenNs = firstNs + (received - 1) * periodNs;
        delaysMs.append(double(atNs - writtenNs) / 1e6);
    }
    writer.join();
    ::close(master);
    ::close(slave);
    if (delaysMs.isEmpty())
        return {};
    return {delaysMs.size(), quantile(delaysMs, 0.5), quantile(delaysMs, 0.99),
            quantile(delaysMs, 1.0),
            qsizetype(std::count_if(delaysMs.begin(), delaysMs.end(),
                                    [](double delay) { return delay > 1.0; }))};
}
