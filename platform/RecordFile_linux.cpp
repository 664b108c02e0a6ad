#include "platform/RecordFile.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

std::unique_ptr<RecordFile> RecordFile::open(const QString& path, Mode mode,
                                             std::chrono::milliseconds waitForReader, QString* why)
{
    using namespace std::chrono;
    // Not blocking: a FIFO with no reader would hold the open itself, forever; and a reader
    // that is slow is never waited for.
    const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK |
                      (mode == Mode::Append ? O_APPEND : O_TRUNC);
    const QByteArray name = QFile::encodeName(path);
    const steady_clock::time_point giveUp = steady_clock::now() + waitForReader;
    for (;;) {
        const int fd = ::open(name.constData(), flags, 0666);
        if (fd >= 0)
            return std::unique_ptr<RecordFile>(new RecordFile(fd, true));
        if (errno != ENXIO) {
            *why = systemReason(errno);
            return nullptr;
        }
        if (steady_clock::now() >= giveUp) {
            *why = QStringLiteral("it is a FIFO that nobody reads (waited %1 s for a reader): "
                                  "start its reader first")
                       .arg(duration_cast<seconds>(waitForReader).count());
            return nullptr;
        }
        std::this_thread::sleep_for(50ms);
    }
}

std::unique_ptr<RecordFile> RecordFile::standardOutput()
{
    // Made non-blocking through a description of its own: O_NONBLOCK on standard output itself
    // would be the shell's too. A file is written as it was opened (>> appends).
    struct stat status = {};
    if (::fstat(STDOUT_FILENO, &status) == 0 &&
        (S_ISFIFO(status.st_mode) || ::isatty(STDOUT_FILENO))) {
        const int fd = ::open("/proc/self/fd/1", O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
        if (fd >= 0)
            return std::unique_ptr<RecordFile>(new RecordFile(fd, true));
    }
    return std::unique_ptr<RecordFile>(new RecordFile(STDOUT_FILENO, false));
}

RecordFile::~RecordFile()
{
    if (m_owned)
        ::close(m_fd);
}

qsizetype RecordFile::writeNow(const char* bytes, qsizetype size, int* error) const
{
    for (;;) {
        const ssize_t count = ::write(m_fd, bytes, size_t(size));
        if (count > 0)
            return count;
        if (count == 0) { // never by the book; taken as a full device rather than looped on
            *error = ENOSPC;
            return -1;
        }
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN)
            return 0;
        *error = errno;
        return -1;
    }
}

void RecordFile::waitForRoom(std::chrono::milliseconds patience) const
{
    pollfd file = {m_fd, POLLOUT, 0};
    ::poll(&file, 1, int(patience.count()));
}
