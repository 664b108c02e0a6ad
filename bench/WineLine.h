#pragma once

#include <QString>

#include <memory>

// COM1 of a fresh Wine prefix mapped to a pseudo-terminal of the bench's own: the Windows
// program runs on it under Wine as the Linux one runs on its virtual line, read the same way.
// The prefix's server is started to stay up for all the runs, so that its CPU time can be told
// apart: it does Wine's part of every wait, timer and write.
class WineLine
{
public:
    // Makes the prefix in `folder` (wineboot), maps COM1 to a new pseudo-terminal and starts
    // the server. Nothing, and `why`, when Wine is missing or any step fails. Sets WINEPREFIX
    // and Wine's quiet settings for this process and those it starts.
    static std::unique_ptr<WineLine> open(const QString& folder, QString* why);
    ~WineLine();
    WineLine(const WineLine&) = delete;
    WineLine& operator=(const WineLine&) = delete;

    // The reading side of the line.
    int line() const { return m_master; }
    // Wine's loader, which starts a Windows program: `wine PROGRAM.exe ARGUMENTS`.
    const QString& loader() const { return m_loader; }
    // The server's CPU time so far, in seconds.
    double serverCpuSeconds() const;

private:
    WineLine() = default;

    QString m_loader;
    QString m_server;
    int m_master = -1;
    int m_slave = -1;
    qint64 m_serverPid = 0;
};
