#include "platform/RecordFile.h"

#include <algorithm>
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

// Windows has no FIFO among its files: a named pipe with no server is refused at once, so there
// is no reader to wait for. The record's lines end in LF, as on Linux.
std::unique_ptr<RecordFile> RecordFile::open(const QString& path, Mode mode,
                                             std::chrono::milliseconds /*waitForReader*/,
                                             QString* why)
{
    const int flags = _O_WRONLY | _O_CREAT | _O_BINARY | _O_NOINHERIT |
                      (mode == Mode::Append ? _O_APPEND : _O_TRUNC);
    const int fd =
        _wopen(reinterpret_cast<const wchar_t*>(path.utf16()), flags, _S_IREAD | _S_IWRITE);
    if (fd < 0) {
        *why = systemReason(errno);
        return nullptr;
    }
    return std::unique_ptr<RecordFile>(new RecordFile(fd, true));
}

std::unique_ptr<RecordFile> RecordFile::standardOutput()
{
    return std::unique_ptr<RecordFile>(new RecordFile(1, false));
}

RecordFile::~RecordFile()
{
    if (m_owned)
        _close(m_fd);
}

// The C runtime tells a pipe whose reader has gone (ERROR_BROKEN_PIPE, ERROR_NO_DATA) as EPIPE.
RecordFile::Written RecordFile::write(const QByteArray& bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const int count = _write(m_fd, bytes.constData() + done,
                                 unsigned(std::min<qsizetype>(bytes.size() - done, 1 << 30)));
        if (count < 0) {
            m_failure = systemReason(errno);
            return errno == EPIPE ? Written::ReaderGone : Written::Failed;
        }
        if (count == 0) { // a full disk, as the C runtime tells it
            m_failure = systemReason(ENOSPC);
            return Written::Failed;
        }
        done += count;
    }
    return Written::Whole;
}
