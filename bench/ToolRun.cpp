#include "bench/ToolRun.h"
#include "bench/MonotonicClock.h"
#include "bench/PtyBaseline.h"

#include <QDir>

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace
{
// A figure of /proc/PID/status in kB ("VmRSS:", "VmHWM:"); -1 when there is none.
qint64 statusKb(pid_t pid, const QByteArray& field)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(field.size()).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

// Voluntary and involuntary context switches of all of the process's threads so far.
qint64 contextSwitchesOf(pid_t pid)
{
    const QString tasks = QStringLiteral("/proc/%1/task").arg(pid);
    qint64 switches = 0;
    for (const QString& task : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile status(tasks + QLatin1Char('/') + task + QStringLiteral("/status"));
        if (!status.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.contains("ctxt_switches:"))
                switches += line.mid(line.indexOf(':') + 1).trimmed().toLongLong();
    }
    return switches;
}
} // namespace

bool ToolRun::spawn(const QString& program, const QStringList& arguments, int* pid, int* errors,
                    QString* why)
{
    int errPipe[2];
    if (::pipe2(errPipe, O_CLOEXEC) != 0) {
        *why = QStringLiteral("pipe failed");
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, errPipe[1], STDERR_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    QList<QByteArray> storage{QFile::encodeName(program)};
    for (const QString& argument : arguments)
        storage.append(argument.toLocal8Bit());
    QList<char*> argv;
    for (QByteArray& item : storage)
        argv.append(item.data());
    argv.append(nullptr);
    pid_t child = 0;
    startedAtMs = monotonicMs();
    const int spawned =
        posix_spawn(&child, storage[0].constData(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(errPipe[1]);
    if (spawned != 0) {
        ::close(errPipe[0]);
        *why = QStringLiteral("cannot start %1").arg(program);
        return false;
    }
    *pid = child;
    *errors = errPipe[0];
    return true;
}

bool ToolRun::run(const QString& program, const QStringList& arguments, QString* why)
{
    int pid = 0;
    int errors = -1;
    if (!spawn(program, arguments, &pid, &errors, why))
        return false;
    // The tool names its line on standard error before it starts (in the window, after what Qt
    // may say first).
    QByteArray path;
    const QByteArray prefix = "virtual serial line: ";
    for (int lines = 0; path.isEmpty() && lines < 20; ++lines) {
        QByteArray said;
        char c;
        bool more = false;
        while ((more = ::read(errors, &c, 1) == 1) && c != '\n')
            said.append(c);
        if (said.startsWith(prefix))
            path = said.mid(prefix.size());
        standardError.append(said + '\n');
        if (!more)
            break;
    }
    lineNamedAtMs = monotonicMs();
    const int line = path.isEmpty() ? -1 : ::open(path.constData(), O_RDONLY | O_NOCTTY);
    if (line >= 0) {
        termios raw{};
        tcgetattr(line, &raw);
        cfmakeraw(&raw);
        tcsetattr(line, TCSANOW, &raw);
    }
    follow(pid, line, errors);
    if (line >= 0)
        ::close(line);
    if (line < 0) {
        *why = QStringLiteral("the tool did not name its virtual line: %1")
                   .arg(QString::fromLocal8Bit(standardError));
        return false;
    }
    return true;
}

bool ToolRun::runOnLine(int line, const QString& program, const QStringList& arguments,
                        QString* why)
{
    int pid = 0;
    int errors = -1;
    if (!spawn(program, arguments, &pid, &errors, why))
        return false;
    follow(pid, line, errors);
    return true;
}

void ToolRun::follow(int pid, int line, int errors)
{
    ::fcntl(errors, F_SETFL, O_NONBLOCK);
    double nextSample = monotonicMs() + 1000;
    bool lineOpen = line >= 0;
    const int bare = baseline ? baseline->readingSide() : -1;
    std::optional<std::pair<double, qint64>> firstSwitches;
    qint64 sampledPeakKb = -1;
    for (;;) {
        pollfd fds[3] = {{lineOpen ? line : -1, POLLIN, 0}, {errors, POLLIN, 0}, {bare, POLLIN, 0}};
        const int ready = ::poll(fds, 3, 250);
        const double at = monotonicMs();
        if (ready > 0 && (fds[2].revents & POLLIN))
            baseline->read(at);
        if (ready > 0 && (fds[0].revents & (POLLIN | POLLHUP | POLLERR))) {
            char buffer[8192];
            const ssize_t count = ::read(line, buffer, sizeof buffer);
            if (count > 0)
                chunks.append({at, QByteArray(buffer, count)});
            else if (count == 0 || errno != EAGAIN)
                lineOpen = false; // the tool has ended (hang-up)
        }
        if (ready > 0 && (fds[1].revents & (POLLIN | POLLHUP))) {
            char buffer[4096];
            const ssize_t count = ::read(errors, buffer, sizeof buffer);
            if (count > 0)
                standardError.append(buffer, count);
        }
        if (at >= nextSample) {
            const qint64 rss = statusKb(pid, "VmRSS:");
            if (rss >= 0)
                rssSamplesKb.append(rss);
            // The program's own peak: wait4's counts the bench's too, which the child shared
            // until it started the program.
            sampledPeakKb = std::max(sampledPeakKb, statusKb(pid, "VmHWM:"));
            if (const qint64 switches = contextSwitchesOf(pid); switches > 0) {
                if (!firstSwitches)
                    firstSwitches = {at, switches};
                contextSwitches = switches - firstSwitches->second;
                switchSeconds = (at - firstSwitches->first) / 1000.0;
            }
            nextSample += 1000;
        }
        int status = 0;
        rusage usage{};
        const pid_t ended = ::wait4(pid, &status, WNOHANG, &usage);
        if (ended == pid) {
            exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            cpuSeconds = double(usage.ru_utime.tv_sec) + double(usage.ru_utime.tv_usec) / 1e6 +
                         double(usage.ru_stime.tv_sec) + double(usage.ru_stime.tv_usec) / 1e6;
            peakRssKb = sampledPeakKb > 0 ? sampledPeakKb : usage.ru_maxrss;
            break;
        }
    }
    char buffer[4096];
    ssize_t count;
    while ((count = ::read(errors, buffer, sizeof buffer)) > 0)
        standardError.append(buffer, count);
    // What came on the line after the program's end (a line of the bench's own stays open).
    while (line >= 0 && lineOpen) {
        pollfd fd{line, POLLIN, 0};
        if (::poll(&fd, 1, 100) <= 0 || !(fd.revents & POLLIN))
            break;
        const ssize_t got = ::read(line, buffer, sizeof buffer);
        if (got <= 0)
            break;
        chunks.append({monotonicMs(), QByteArray(buffer, got)});
    }
    ::close(errors);
}
