#include "platform/CommandReader.h"

#include <QMetaObject>
#include <QObject>

#include <io.h>
#include <mutex>
#include <windows.h>

namespace
{
// What the reading thread shares with the reader: the object on the event loop that its
// findings are posted to, gone (null) once the reader is.
struct Mailbox {
    std::mutex mutex;
    QObject* receiver = nullptr;
    CommandReader* reader = nullptr;

    template <typename Call> void post(Call call)
    {
        const std::lock_guard lock(mutex);
        if (receiver)
            QMetaObject::invokeMethod(
                receiver, [reader = reader, call] { call(*reader); }, Qt::QueuedConnection);
    }
};

struct Reading {
    HANDLE input;
    std::shared_ptr<Mailbox> mailbox;
};
} // namespace

// A thread that blocks in ReadFile on the input (a console, a pipe or a file alike) and posts
// what it reads to the event loop.
class CommandReader::Source
{
public:
    Source(int fd, CommandReader& reader) : m_mailbox(std::make_shared<Mailbox>())
    {
        m_mailbox->receiver = &m_receiver;
        m_mailbox->reader = &reader;
        const auto input = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
        if (input != INVALID_HANDLE_VALUE && input != nullptr)
            m_thread = CreateThread(nullptr, 0, &read, new Reading{input, m_mailbox}, 0, nullptr);
        if (!m_thread) // no input at all
            m_mailbox->post([](CommandReader& r) { r.ended(); });
    }
    ~Source()
    {
        {
            const std::lock_guard lock(m_mailbox->mutex);
            m_mailbox->receiver = nullptr;
        }
        if (!m_thread)
            return;
        // A thread still waiting for input is woken; one that cannot be is left to end with
        // the program (it posts nothing more).
        CancelSynchronousIo(m_thread);
        WaitForSingleObject(m_thread, 200);
        CloseHandle(m_thread);
    }
    Source(const Source&) = delete;
    Source& operator=(const Source&) = delete;

private:
    static DWORD WINAPI read(void* parameter)
    {
        const std::unique_ptr<Reading> reading(static_cast<Reading*>(parameter));
        char buffer[4096];
        for (;;) {
            DWORD count = 0;
            // End of input: a pipe's writer gone, the end of a file, Ctrl-Z on a console.
            if (!ReadFile(reading->input, buffer, sizeof buffer, &count, nullptr) || count == 0) {
                reading->mailbox->post([](CommandReader& r) { r.ended(); });
                return 0;
            }
            reading->mailbox->post([bytes = QByteArray(buffer, qsizetype(count))](
                                       CommandReader& r) { r.received(bytes); });
        }
    }

    std::shared_ptr<Mailbox> m_mailbox;
    QObject m_receiver;
    HANDLE m_thread = nullptr;
};

CommandReader::CommandReader(int fd, LineHandler handler, OverlongHandler overlong)
    : m_handler(std::move(handler)), m_overlong(std::move(overlong)),
      m_source(std::make_unique<Source>(fd, *this))
{
}

CommandReader::~CommandReader() = default;
