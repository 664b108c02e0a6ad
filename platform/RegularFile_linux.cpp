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
    RegularFile file;
    const auto fail = [&file](Result result, const QString& reason = {}) {
        file.result = result;
        file.reason = reason;
        return file;
    };
    // Not blocking: a FIFO with no writer would hold the open itself.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return fail(errno == ENOENT ? Result::Absent : Result::Unreadable, whyUnreadable(errno));
    struct stat status {
    };
    const auto closed = [fd](RegularFile outcome) {
        ::close(fd);
        return outcome;
    };
    if (::fstat(fd, &status) != 0)
        return closed(fail(Result::Unreadable, whyUnreadable(errno)));
    if (S_ISDIR(status.st_mode))
        return closed(fail(Result::Directory));
    if (!S_ISREG(status.st_mode))
        return closed(fail(Result::NotRegular, kindOf(status.st_mode)));
    if (status.st_size > limit)
        return closed(fail(Result::TooLarge));
    file.contents.reserve(qsizetype(status.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return closed(fail(Result::Unreadable, whyUnreadable(errno)));
        if (count == 0)
            break;
        // It may grow while it is read.
        if (file.contents.size() + count > limit)
            return closed(fail(Result::TooLarge));
        file.contents.append(buffer, count);
    }
    return closed(file);
}
