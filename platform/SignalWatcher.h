#pragma once

#include <functional>
#include <memory>

// Turns the system's requests to end the program into a call on the event loop, where the run
// can be stopped in order and the virtual line's link removed (a signal handler itself may do
// next to nothing). Linux: the signals that would end the program (SIGINT, SIGTERM, SIGHUP,
// SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM). Windows: Ctrl-C and Ctrl-Break (told as SIGINT and
// SIGBREAK), and the console window closed, the user logging off or the system shutting down
// (told as SIGTERM); for those three the system ends the program once its handler returns, so
// the handler waits (up to 4 s) until the watcher is gone, which is when the run has been tidied
// up. One watcher per process.
class SignalWatcher
{
public:
    explicit SignalWatcher(std::function<void(int signal)> handler);
    ~SignalWatcher();
    SignalWatcher(const SignalWatcher&) = delete;
    SignalWatcher& operator=(const SignalWatcher&) = delete;

    // Calls the handler for what was caught since, at once: for a run with no event loop
    // (virtual time), which calls this between its steps. Costs next to nothing when nothing
    // came.
    void deliverPending();

private:
    class Watch;
    std::unique_ptr<Watch> m_watch;
};
