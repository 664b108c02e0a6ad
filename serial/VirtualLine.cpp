#include "serial/VirtualLine.h"

#include <QFile>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>
#endif

#ifdef Q_OS_UNIX

std::unique_ptr<VirtualLine> VirtualLine::create(const QString& link, QString* why)
{
    termios raw{};
    cfmakeraw(&raw);
    raw.c_cflag |= CLOCAL | CREAD;
    cfsetispeed(&raw, B9600);
    cfsetospeed(&raw, B9600);
    int master = -1;
    int slave = -1;
    char name[256] = {};
    if (openpty(&master, &slave, name, &raw, nullptr) != 0) {
        *why = QStringLiteral("cannot create a pseudo-terminal for the virtual line: %1")
                   .arg(QString::fromLocal8Bit(std::strerror(errno)));
        return nullptr;
    }
    // The slave is opened by the reader; keeping it open here would hide the reader's absence.
    ::close(slave);
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    ::fcntl(master, F_SETFD, FD_CLOEXEC);
    const QString path = QString::fromLocal8Bit(name);
    if (!link.isEmpty()) {
        const QByteArray linkPath = QFile::encodeName(link);
        struct stat existing {
        };
        if (::lstat(linkPath.constData(), &existing) == 0 && !S_ISLNK(existing.st_mode)) {
            ::close(master);
            *why = QStringLiteral("cannot make the link %1 to the virtual line: it exists and "
                                  "is not a symbolic link")
                       .arg(link);
            return nullptr;
        }
        ::unlink(linkPath.constData());
        if (::symlink(name, linkPath.constData()) != 0) {
            const QString reason = QString::fromLocal8Bit(std::strerror(errno));
            ::close(master);
            *why =
                QStringLiteral("cannot make the link %1 to the virtual line: %2").arg(link, reason);
            return nullptr;
        }
    }
    return std::unique_ptr<VirtualLine>(new VirtualLine(master, path, link));
}

VirtualLine::VirtualLine(int master, QString path, QString link)
    : m_master(master), m_path(std::move(path)), m_link(std::move(link))
{
    m_clock.start();
}

VirtualLine::~VirtualLine()
{
    if (!m_link.isEmpty()) {
        // Only our own link: another instance may have replaced it since.
        const QByteArray linkPath = QFile::encodeName(m_link);
        char target[256] = {};
        const ssize_t size = ::readlink(linkPath.constData(), target, sizeof target - 1);
        if (size > 0 && QString::fromLocal8Bit(target, size) == m_path)
            ::unlink(linkPath.constData());
    }
    ::close(m_master);
}

bool VirtualLine::readerPresent() const
{
    pollfd poll{m_master, POLLOUT, 0};
    return ::poll(&poll, 1, 0) >= 0 && !(poll.revents & POLLHUP);
}

void VirtualLine::send(const QByteArray& bytes)
{
    const qint64 now = m_clock.nsecsElapsed();
    if (m_lookedAtNs < 0 || now - m_lookedAtNs >= 50'000'000) {
        m_lookedAtNs = now;
        const bool reader = readerPresent();
        if (reader != m_hadReader) {
            // A reader that comes (back) gets what is sent from now on, as a wire would give
            // it, not what was left in the buffer when the last one went away.
            tcflush(m_master, TCIOFLUSH);
            m_hadReader = reader;
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

void VirtualLine::discardInput()
{
    // What the reader writes to the line is never read: it is dropped so it cannot pile up.
    char sink[512];
    while (::read(m_master, sink, sizeof sink) > 0) {
    }
}

#else

std::unique_ptr<VirtualLine> VirtualLine::create(const QString&, QString* why)
{
    *why = QStringLiteral("this system has no pseudo-terminals: the virtual line is not "
                          "available");
    return nullptr;
}

VirtualLine::VirtualLine(int master, QString path, QString link)
    : m_master(master), m_path(std::move(path)), m_link(std::move(link))
{
}

VirtualLine::~VirtualLine() = default;
bool VirtualLine::readerPresent() const
{
    return false;
}
void VirtualLine::send(const QByteArray& bytes)
{
    m_lost += bytes.size();
}
void VirtualLine::discardInput() {}

#endif
