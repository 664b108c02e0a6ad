#include "platform/RegularFile.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
QString whyUnreadable(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QString kindOf(mode_t mode)
{
    if (S_ISFIFO(mode))
        return QStringLiteral("a FIFO");
    if (S_ISCHR(mode))
        return QStringLiteral("a character device");
    if (S_ISBLK(mode))
        return QStringLiteral("a block device");
    if (S_ISSOCK(mode))
        return QStringLiteral("a socket");
    return QStringLiteral("a special file");
}
} // namespace

RegularFile RegularFile::read(const QString& path, qint64 limit)
{
    // Not blocking: a FIFO with no writer would hold the open itself.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return refused(errno == ENOENT ? Result::Absent : Result::Unreadable, whyUnreadable(errno));
    struct stat status {
    };
    const auto closed = [fd](RegularFile outcome) {
        ::close(fd);
        return outcome;
    };
    if (::fstat(fd, &status) != 0)
        return closed(refused(Result::Unreadable, whyUnreadable(errno)));
    if (S_ISDIR(status.st_mode))
        return closed(refused(Result::Directory));
    if (!S_ISREG(status.st_mode))
        return closed(refused(Result::NotRegular, kindOf(status.st_mode)));
    if (status.st_size > limit)
        return closed(refused(Result::TooLarge));
    RegularFile file;
    file.contents.reserve(qsizetype(status.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return closed(refused(Result::Unreadable, whyUnreadable(errno)));
        if (count == 0)
            break;
        // It may grow while it is read.
        if (file.contents.size() + count > limit)
            return closed(refused(Result::TooLarge));
        file.contents.append(buffer, count);
    }
    return closed(file);
}
