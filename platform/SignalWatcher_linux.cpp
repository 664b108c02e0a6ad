#include "platform/SignalWatcher.h"

#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace
{
// The one place a signal handler can write to; there is one watcher per process.
int g_signalFd = -1;
// Set with each write, so that a run with no event loop looks at the socket only when it must.
volatile std::sig_atomic_t g_signalPending = 0;

// Every signal whose default would end the program on the spot, leaving the virtual line's link
// behind, and that a user or a rig sends to end it (SIGQUIT from the keyboard, SIGALRM from
// `timeout -s ALRM`, SIGUSR1 and SIGUSR2 by habit).
constexpr int endingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM};

extern "C" void onSignal(int signal)
{
    const char number = char(signal);
    if (g_signalFd >= 0) [[maybe_unused]]
        const ssize_t written = ::write(g_signalFd, &number, 1);
    g_signalPending = 1;
}
} // namespace

// A socket pair: the handler writes the signal's number to one end, the event loop reads it
// from the other.
class SignalWatcher::Watch
{
public:
    explicit Watch(std::function<void(int)> handler) : m_handler(std::move(handler))
    {
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, m_fds) != 0)
            return;
        ::fcntl(m_fds[0], F_SETFL, O_NONBLOCK);
        ::fcntl(m_fds[1], F_SETFL, O_NONBLOCK);
        g_signalFd = m_fds[0];
        m_notifier = std::make_unique<QSocketNotifier>(m_fds[1], QSocketNotifier::Read);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(),
                         [this] { deliver(); });
        struct sigaction action {
        };
        action.sa_handler = onSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        for (const int signal : endingSignals)
            ::sigaction(signal, &action, nullptr);
    }
    ~Watch()
    {
        for (const int signal : endingSignals)
            std::signal(signal, SIG_DFL);
        g_signalFd = -1;
        m_notifier.reset();
        for (const int fd : m_fds)
            if (fd >= 0)
                ::close(fd);
    }
    Watch(const Watch&) = delete;
    Watch& operator=(const Watch&) = delete;

    void deliver()
    {
        g_signalPending = 0;
        char number = 0;
        while (::read(m_fds[1], &number, 1) == 1)
            m_handler(number);
    }
    void deliverPending()
    {
        if (g_signalPending && m_fds[1] >= 0)
            deliver();
    }

private:
    std::function<void(int)> m_handler;
    int m_fds[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> m_notifier;
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
