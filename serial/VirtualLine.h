#pragma once

#include "core/LineSettings.h"
#include "serial/LinkClaim.h"
#include "serial/ReceiverCheck.h"
#include "serial/SerialDevice.h"

#include <QString>

#include <chrono>
#include <memory>
#include <optional>

class Alarm;
class Clock;
class ErrorReporter;

// The built-in virtual line: a pseudo-terminal pair. The tool holds the master side and writes;
// a monitoring application (or `cat`) opens the slave side, or a symbolic link to it, as its
// serial port. The slave is set up raw at 9600 bit/s, 8 data bits, no parity, so that a reader
// that does not set the line up itself gets the bytes unchanged. It serves every Com Port
// number, for the program's whole life.
//
// Like a wire, the line never waits for its reader: bytes sent while nobody has the slave open
// are lost, and nothing piles up. A reader that has the line open keeps what it has not read on
// its side of the pair, up to the terminal's 4 KiB buffer (4095 bytes), as a serial port's
// driver keeps it; a data string that would not fit beside that is lost whole (`idleReader`,
// asked as it opens), never torn, and the data strings after it go whole once the reader reads
// again.
//
// Unlike a wire, a pseudo-terminal carries the bytes whatever speed its reader has set, so a
// receiver set up wrong would go unseen: the line looks at the settings its reader has set
// (the speed and the stop bits, which the master side shows; the pair is always 8 data bits
// without parity) and has each change checked against what it sends (ReceiverCheck): every
// 100 ms while it sends, at a hand-over, and every second while it is idle, so that an idle line
// wakes the program once a second, not ten times.
class VirtualLine final : public SerialDevice
{
public:
    // Creates the pair, and claims `link` for it when `link` is not empty (LinkClaim). Throws
    // UsageError when it cannot (no pseudo-terminals to be had, a link that another running
    // program holds or that cannot be made). A receiver set up wrong is told to `reporter`.
    static std::unique_ptr<VirtualLine> create(Clock& clock, const QString& link,
                                               ErrorReporter& reporter);
    ~VirtualLine() override;
    VirtualLine(const VirtualLine&) = delete;
    VirtualLine& operator=(const VirtualLine&) = delete;

    const QString& path() const { return m_path; }

    // The line exists for the program's whole life and never goes away: opening it only sets
    // what the reader is held against.
    void open(qint16, const LineSettings& settings, Events&) override
    {
        m_check.lineSends(settings);
    }
    void close() override {}
    // Hands the bytes to the reader, if there is one; never blocks. Whether there is one is
    // looked at every 50 ms at most (a reader that comes sees the line from then on).
    void deliver(const QByteArray& bytes) override;
    QString describe(qint16 port) const override;
    // A reader that has the line open and has left so much unread that `bytes` more would not
    // fit in its buffer. Looks at its side of the pair (at most once per data string).
    std::optional<IdleReader> idleReader(qint64 bytes) override;

    bool readerPresent() const;
    qint64 bytesLost() const { return m_lost; }
    // The link, as an absolute path; empty when there is none.
    QString link() const { return m_claim ? m_claim->link() : QString(); }
    // Where a reader opens the line: the link, or the device itself.
    QString readerPath() const { return m_claim ? m_claim->link() : m_path; }

    // The settings the reader has set, as last looked at; nothing while there is no reader.
    const std::optional<LineSettings>& receiver() const { return m_receiver; }
    // The receiver check's notice on the reader's settings, while they are not what is sent.
    std::optional<QString> receiverNotice() const
    {
        return m_receiver ? m_check.notice(*m_receiver) : std::nullopt;
    }

private:
    VirtualLine(Clock& clock, int master, QString path, std::unique_ptr<LinkClaim> claim,
                ErrorReporter& reporter);
    void discardInput();
    void lookAtReceiver();
    // The idle look's alarm: a look, unless a hand-over had one less than a second ago.
    void receiverLookDue();
    void discardUnread();
    // A descriptor of the reader's side of the pair, to look at or flush it; -1 when there is
    // none to be had (a reader holding it exclusively).
    int openReaderSide() const;

    const Clock& m_clock;
    int m_master;
    QString m_path;
    std::unique_ptr<LinkClaim> m_claim;
    qint64 m_lost = 0;
    bool m_hadReader = false;
    qint64 m_unread = 0;                  // by the reader, when last looked at
    std::chrono::nanoseconds m_readAt{0}; // when it was last seen to read
    std::optional<std::chrono::nanoseconds> m_lookedAt;
    std::optional<LineSettings> m_receiver;
    ReceiverCheck m_check;
    std::unique_ptr<Alarm> m_receiverLook;
    std::chrono::nanoseconds m_receiverLookedAt;
};
