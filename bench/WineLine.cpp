#include "bench/WineLine.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace
{
QString found(const QString& name, const QString& fallback)
{
    const QString path = QStandardPaths::findExecutable(name);
    return !path.isEmpty() ? path : QFile::exists(fallback) ? fallback : QString();
}

// Runs a helper to its end; false, and what it said, when it fails.
bool helper(const QString& program, const QStringList& arguments, QString* why)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (process.waitForFinished(180'000) && process.exitStatus() == QProcess::NormalExit &&
        process.exitCode() == 0)
        return true;
    *why = QStringLiteral("%1 %2 failed: %3")
               .arg(program, arguments.join(QLatin1Char(' ')),
                    QString::fromLocal8Bit(process.readAll()).trimmed());
    return false;
}
} // namespace

std::unique_ptr<WineLine> WineLine::open(const QString& folder, QString* why)
{
    std::unique_ptr<WineLine> wine(new WineLine);
    wine->m_loader = found(QStringLiteral("wine"), QStringLiteral("/usr/lib/wine/wine64"));
    wine->m_server =
        found(QStringLiteral("wineserver"), QStringLiteral("/usr/lib/wine/wineserver"));
    if (wine->m_loader.isEmpty() || wine->m_server.isEmpty()) {
        *why = QStringLiteral("Wine is not installed (make windows-deps)");
        return nullptr;
    }
    qputenv("WINEPREFIX", QFile::encodeName(folder));
    qputenv("WINEDEBUG", "-all");
    qputenv("WINEDLLOVERRIDES", "mscoree,mshtml=");
    qunsetenv("DISPLAY");
    if (!helper(wine->m_loader, {QStringLiteral("wineboot"), QStringLiteral("-i")}, why))
        return nullptr;
    termios raw{};
    ::cfmakeraw(&raw);
    char name[256] = {};
    if (::openpty(&wine->m_master, &wine->m_slave, name, &raw, nullptr) != 0) {
        *why = QStringLiteral("no pseudo-terminal");
        return nullptr;
    }
    // Wine reads its ports when its server starts.
    if (!helper(wine->m_loader,
                {QStringLiteral("reg"), QStringLiteral("add"),
                 QStringLiteral("HKLM\\Software\\Wine\\Ports"), QStringLiteral("/v"),
                 QStringLiteral("COM1"), QStringLiteral("/t"), QStringLiteral("REG_SZ"),
                 QStringLiteral("/d"), QString::fromLocal8Bit(name), QStringLiteral("/f")},
                why) ||
        !helper(wine->m_server, {QStringLiteral("-k")}, why) ||
        !helper(wine->m_server, {QStringLiteral("-w")}, why))
        return nullptr;
    if (!QProcess::startDetached(wine->m_server, {QStringLiteral("-f"), QStringLiteral("-p")},
                                 QString(), &wine->m_serverPid)) {
        *why = QStringLiteral("cannot start %1").arg(wine->m_server);
        return nullptr;
    }
    return wine;
}

WineLine::~WineLine()
{
    // The server first: it holds the line, and a line closed under it makes it complain.
    QString why;
    helper(m_server, {QStringLiteral("-k")}, &why);
    helper(m_server, {QStringLiteral("-w")}, &why);
    for (const int fd : {m_master, m_slave})
        if (fd >= 0)
            ::close(fd);
}

double WineLine::serverCpuSeconds() const
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(m_serverPid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    // After the command's name in parentheses: utime and stime are the 12th and 13th fields.
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    const double ticks = fields.value(11).toDouble() + fields.value(12).toDouble();
    return ticks / double(::sysconf(_SC_CLK_TCK));
}
