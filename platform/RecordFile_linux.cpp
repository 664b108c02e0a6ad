#include "platform/RecordFile.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

namespace
{
QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}
} // namespace

std::unique_ptr<RecordFile> RecordFile::open(const QString& path, Mode mode,
                                             std::chrono::milliseconds waitForReader, QString* why)
{
    using namespace std::chrono;
    const int flags =
        O_WRONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK | (mode == Mode::Append ? O_APPEND : O_TRUNC);
    const QByteArray name = QFile::encodeName(path);
    const steady_clock::time_point giveUp = steady_clock::now() + waitForReader;
    for (;;) {
        // Not blocking: a FIFO with no reader would hold the open itself, forever.
        const int fd = ::open(name.constData(), flags, 0666);
        if (fd >= 0) {
            // Written as any file is from here on: a write waits for a FIFO's reader to read.
            ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
            return std::unique_ptr<RecordFile>(new RecordFile(fd, true));
        }
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
    return std::unique_ptr<RecordFile>(new RecordFile(STDOUT_FILENO, false));
}

RecordFile::~RecordFile()
{
    if (m_owned)
        ::close(m_fd);
}

RecordFile::Written RecordFile::write(const QByteArray& bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t count = ::write(m_fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0) {
            m_failure = systemReason(errno);
            return errno == EPIPE ? Written::ReaderGone : Written::Failed;
        }
        if (count == 0) { // never by the book; taken as a full device rather than looped on
            m_failure = systemReason(ENOSPC);
            return Written::Failed;
        }
        done += count;
    }
    return Written::Whole;
}
