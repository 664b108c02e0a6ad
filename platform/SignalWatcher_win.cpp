#include "platform/SignalWatcher.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>

#include <atomic>
#include <csignal>
#include <mutex>
#include <windows.h>

namespace
{
// What the console's handler thread shares with the watcher on the event loop.
struct Watched {
    std::mutex mutex;
    QObject* receiver = nullptr; // null once the watcher is gone
    std::function<void(int)> handler;
    HANDLE gone = nullptr;            // set when the watcher is gone
    std::atomic<bool> pending{false}; // a call posted, for a run with no event loop to see
};
Watched g_watched;

int signalOf(DWORD event)
{
    switch (event) {
    case CTRL_C_EVENT:
        return SIGINT;
    case CTRL_BREAK_EVENT:
        return SIGBREAK;
    default: // the console closed, log-off, shutdown
        return SIGTERM;
    }
}

// Runs on a thread of its own that the system starts for each event.
BOOL WINAPI onConsoleEvent(DWORD event)
{
    {
        const std::lock_guard lock(g_watched.mutex);
        if (!g_watched.receiver)
            return FALSE; // the system's own handling: the program ends
        QMetaObject::invokeMethod(
            g_watched.receiver,
            [signal = signalOf(event)] {
                // On the event loop, where the watcher still is (it owns the receiver).
                if (g_watched.handler)
                    g_watched.handler(signal);
            },
            Qt::QueuedConnection);
        g_watched.pending = true;
    }
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT)
        return TRUE;
    // The program ends when this returns: give the run time to be stopped and tidied up.
    WaitForSingleObject(g_watched.gone, 4000);
    return TRUE;
}
} // namespace

class SignalWatcher::Watch
{
public:
    explicit Watch(std::function<void(int)> handler)
    {
        const std::lock_guard lock(g_watched.mutex);
        g_watched.handler = std::move(handler);
        g_watched.receiver = &m_receiver;
        g_watched.gone = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        SetConsoleCtrlHandler(&onConsoleEvent, TRUE);
    }
    ~Watch()
    {
        SetConsoleCtrlHandler(&onConsoleEvent, FALSE);
        const std::lock_guard lock(g_watched.mutex);
        g_watched.receiver = nullptr;
        g_watched.handler = {};
        // A handler thread still waiting may go on: the system ends the program.
        SetEvent(g_watched.gone);
    }
    Watch(const Watch&) = delete;
    Watch& operator=(const Watch&) = delete;

    // The calls posted to the receiver, delivered here and now.
    void deliverPending()
    {
        if (g_watched.pending.exchange(false))
            QCoreApplication::sendPostedEvents(&m_receiver, QEvent::MetaCall);
    }

private:
    QObject m_receiver;
};

SignalWatcher::SignalWatcher(std::function<void(int)> handler)
    : m_watch(std::make_unique<Watch>(std::move(handler)))
{
}

SignalWatcher::~SignalWatcher() = default;

void SignalWatcher::deliverPending()
{
    m_watch->deliverPending();
}
