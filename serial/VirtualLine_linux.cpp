#include "serial/VirtualLine.h"

#include "core/Clock.h"
#include "core/UsageError.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace
{
using namespace std::chrono_literals;
constexpr std::chrono::nanoseconds readerLook = 50ms;
// How often the reader's settings are looked at: while the line sends, at a hand-over at most
// this often; while it is idle, on an alarm of its own this often (a wake-up a second).
constexpr std::chrono::nanoseconds receiverLookSending = 100ms;
constexpr std::chrono::nanoseconds receiverLookIdle = 1s;
// What the reader's side of a pseudo-terminal holds unread (its line discipline's buffer, less
// the byte it keeps free); beyond it the kernel holds some more, which is left as slack, so that
// a data string let on the line is never cut short by a full terminal.
constexpr qint64 readerBuffer = 4095;

qint32 bitsPerSecondOf(speed_t speed)
{
    static const std::pair<speed_t, qint32> speeds[] = {
        {B0, 0},           {B50, 50},           {B75, 75},           {B110, 110},
        {B134, 134},       {B150, 150},         {B200, 200},         {B300, 300},
        {B600, 600},       {B1200, 1200},       {B1800, 1800},       {B2400, 2400},
        {B4800, 4800},     {B9600, 9600},       {B19200, 19200},     {B38400, 38400},
        {B57600, 57600},   {B115200, 115200},   {B230400, 230400},   {B460800, 460800},
        {B921600, 921600}, {B1000000, 1000000}, {B2000000, 2000000}, {B4000000, 4000000},
    };
    for (const auto& [code, bitsPerSecond] : speeds)
        if (code == speed)
            return bitsPerSecond;
    return -1;
}

[[noreturn]] void cannot(const QString& what)
{
    throw UsageError(QStringLiteral("--virtual-port"), what);
}
} // namespace

std::unique_ptr<VirtualLine> VirtualLine::create(Clock& clock, const QString& link,
                                                 ErrorReporter& reporter)
{
    termios raw{};
    cfmakeraw(&raw);
    raw.c_cflag |= CLOCAL | CREAD;
    cfsetispeed(&raw, B9600);
    cfsetospeed(&raw, B9600);
    int master = -1;
    int slave = -1;
    char name[256] = {};
    if (openpty(&master, &slave, name, &raw, nullptr) != 0)
        cannot(QStringLiteral("cannot create a pseudo-terminal for the virtual line: %1")
                   .arg(QString::fromLocal8Bit(std::strerror(errno))));
    // The line is the user's own: no one else may read it or write to it.
    ::fchmod(slave, S_IRUSR | S_IWUSR);
    // The slave is opened by the reader; keeping it open here would hide the reader's absence.
    ::close(slave);
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    ::fcntl(master, F_SETFD, FD_CLOEXEC);
    const QString path = QString::fromLocal8Bit(name);
    std::unique_ptr<LinkClaim> claim;
    try {
        if (!link.isEmpty())
            claim = LinkClaim::make(link, path);
    } catch (const UsageError&) {
        ::close(master);
        throw;
    }
    return std::unique_ptr<VirtualLine>(
        new VirtualLine(clock, master, path, std::move(claim), reporter));
}

VirtualLine::VirtualLine(Clock& clock, int master, QString path, std::unique_ptr<LinkClaim> claim,
                         ErrorReporter& reporter)
    : m_clock(clock), m_master(master), m_path(std::move(path)), m_claim(std::move(claim)),
      m_check(reporter, readerPath()),
      m_receiverLook(clock.makeAlarm([this] { receiverLookDue(); })),
      m_receiverLookedAt(clock.now())
{
    m_receiverLook->set(m_receiverLookedAt + receiverLookIdle);
}

void VirtualLine::receiverLookDue()
{
    if (m_clock.now() - m_receiverLookedAt >= receiverLookIdle)
        lookAtReceiver();
    m_receiverLook->set(m_receiverLookedAt + receiverLookIdle);
}

void VirtualLine::lookAtReceiver()
{
    m_receiverLookedAt = m_clock.now();
    std::optional<LineSettings> seen;
    termios settings{};
    if (readerPresent() && ::tcgetattr(m_master, &settings) == 0) {
        seen = LineSettings{};
        seen->bitsPerSecond = bitsPerSecondOf(cfgetospeed(&settings));
        seen->stopBits =
            settings.c_cflag & CSTOPB ? LineSettings::StopBits::Two : LineSettings::StopBits::One;
    }
    if (seen == m_receiver)
        return;
    m_receiver = seen;
    if (seen)
        m_check.readerSet(*seen);
}

VirtualLine::~VirtualLine()
{
    // The link goes first: a reader that comes meanwhile finds no line rather than a dead one.
    m_claim.reset();
    ::close(m_master);
}

QString VirtualLine::describe(qint16 port) const
{
    return QStringLiteral("Com Port %1 (virtual line %2)").arg(port).arg(m_path);
}

bool VirtualLine::readerPresent() const
{
    pollfd poll{m_master, POLLOUT, 0};
    return ::poll(&poll, 1, 0) >= 0 && !(poll.revents & POLLHUP);
}

void VirtualLine::deliver(const QByteArray& bytes)
{
    const std::chrono::nanoseconds now = m_clock.now();
    if (now - m_receiverLookedAt >= receiverLookSending)
        lookAtReceiver();
    if (!m_lookedAt || now - *m_lookedAt >= readerLook) {
        m_lookedAt = now;
        const bool reader = readerPresent();
        if (reader != m_hadReader) {
            // A reader that comes (back) gets what is sent from now on, as a wire would give
            // it, not what was left in the buffer when the last one went away.
            tcflush(m_master, TCIOFLUSH);
            if (!reader)
                discardUnread();
            m_hadReader = reader;
            m_unread = 0;
            m_readAt = now;
        }
        if (reader)
            discardInput();
    }
    if (!m_hadReader) {
        m_lost += bytes.size();
        return;
    }
    const ssize_t written = ::write(m_master, bytes.constData(), size_t(bytes.size()));
    m_lost += written < 0 ? bytes.size() : bytes.size() - written;
}

std::optional<SerialDevice::IdleReader> VirtualLine::idleReader(qint64 bytes)
{
    if (!m_hadReader)
        return std::nullopt; // nobody there: the bytes are lost as on a wire nobody listens to
    const int side = openReaderSide();
    if (side < 0)
        return std::nullopt;
    int unread = 0;
    const bool seen = ::ioctl(side, FIONREAD, &unread) == 0;
    ::close(side);
    if (!seen)
        return std::nullopt;
    const std::chrono::nanoseconds now = m_clock.now();
    // Less unread than at the last look, with more sent since, means it has read meanwhile.
    if (unread == 0 || unread < m_unread)
        m_readAt = now;
    m_unread = unread;
    if (unread + bytes <= readerBuffer)
        return std::nullopt;
    return IdleReader{readerPath(), now - m_readAt};
}

int VirtualLine::openReaderSide() const
{
    // Through the master, where the system can (no path to look up); by the path elsewhere.
#ifdef TIOCGPTPEER
    if (const int side = ::ioctl(m_master, TIOCGPTPEER, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        side >= 0)
        return side;
#endif
    return ::open(QFile::encodeName(m_path).constData(),
                  O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
}

void VirtualLine::discardUnread()
{
    // What was sent between the reader's going and this look waits on the reader's side of the
    // pair, where only a descriptor of that side can flush it.
    const int side = openReaderSide();
    if (side < 0)
        return;
    tcflush(side, TCIOFLUSH);
    ::close(side);
}

// NOLINTNEXTLINE(readability-make-member-function-const): it drains the line the object owns
void VirtualLine::discardInput()
{
    // What the reader writes to the line is never read: it is dropped so it cannot pile up.
    char sink[512];
    while (::read(m_master, sink, sizeof sink) > 0) {
    }
}
