#include "platform/RegularFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

namespace
{
QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}
} // namespace

// What the name is, is asked before it is opened: a device (CON, COM1) or a pipe is never
// opened, so never waited on or taken from its owner.
RegularFile RegularFile::read(const QString& path, qint64 limit)
{
    const auto* name = reinterpret_cast<const wchar_t*>(path.utf16());
    struct _stat64 status {
    };
    if (_wstat64(name, &status) != 0)
        return refused(errno == ENOENT ? Result::Absent : Result::Unreadable, systemReason(errno));
    if (status.st_mode & _S_IFDIR)
        return refused(Result::Directory);
    if (!(status.st_mode & _S_IFREG))
        return refused(Result::NotRegular, (status.st_mode & _S_IFIFO)
                                               ? QStringLiteral("a pipe")
                                               : QStringLiteral("a device"));
    if (status.st_size > limit)
        return refused(Result::TooLarge);
    const int fd = _wopen(name, _O_RDONLY | _O_BINARY | _O_NOINHERIT);
    if (fd < 0)
        return refused(Result::Unreadable, systemReason(errno));
    RegularFile file;
    file.contents.reserve(qsizetype(status.st_size));
    char buffer[65536];
    for (;;) {
        const int count = _read(fd, buffer, sizeof buffer);
        if (count < 0) {
            const QString why = systemReason(errno); // before the close may change errno
            _close(fd);
            return refused(Result::Unreadable, why);
        }
        if (count == 0)
            break;
        // It may grow while it is read.
        if (file.contents.size() + count > limit) {
            _close(fd);
            return refused(Result::TooLarge);
        }
        file.contents.append(buffer, count);
    }
    _close(fd);
    return file;
}
