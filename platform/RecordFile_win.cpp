#include "platform/RecordFile.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

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

// The C runtime writes a pipe as it comes, waiting for its reader: nothing is left waiting
// here. It tells a pipe whose reader has gone (ERROR_BROKEN_PIPE, ERROR_NO_DATA) as EPIPE.
qsizetype RecordFile::writeNow(const char* bytes, qsizetype size, int* error) const
{
    const int count = _write(m_fd, bytes, unsigned(std::min<qsizetype>(size, 1 << 30)));
    if (count < 0) {
        *error = errno;
        return -1;
    }
    if (count == 0) { // a full disk, as the C runtime tells it
        *error = ENOSPC;
        return -1;
    }
    return count;
}

void RecordFile::waitForRoom(std::chrono::milliseconds /*patience*/) const {}
