#pragma once

#include <QSocketNotifier>

#include <functional>
#include <memory>

// Turns the signals that would end the program (SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1,
// SIGUSR2, SIGALRM) into a call on the event loop, where the run can be stopped in order and the
// virtual line's link removed (a signal handler itself may do next to nothing).
class SignalWatcher
{
public:
    explicit SignalWatcher(std::function<void(int signal)> handler);
    ~SignalWatcher();
    SignalWatcher(const SignalWatcher&) = delete;
    SignalWatcher& operator=(const SignalWatcher&) = delete;

private:
    std::function<void(int)> m_handler;
    int m_fds[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> m_notifier;
};
