#pragma once

// The program itself as the end-to-end tests start it: the process with its standard streams,
// a setup file, the reading end of its virtual line, and the summary line a run ends with.
#include "tests/support/Patience.h"
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <fcntl.h>
#include <unistd.h>

inline const QByteArray values = "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10\r\n";
inline const QByteArray terminator = "63536\r\n";

inline const QString program = QStringLiteral(DRYX_PROGRAM);

// The setup of a line with 10 data points (5 K-Tron feeders) and two relays (two alarms).
inline QString writeSetup(const QTemporaryDir& dir)
{
    QString path = dir.filePath(QStringLiteral("setup.ini"));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write("[setup]\nNumKTron=5\nNumModbus=0\nNum6B=0\nNumRelay=2\nPLCTerminator=63536\n");
    return path;
}

// A scenario script in `dir`, for --script.
inline QString writeScript(const QTemporaryDir& dir, const QByteArray& steps)
{
    QString path = dir.filePath(QStringLiteral("rig.txt"));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(steps);
    return path;
}

// The reading end of the virtual line, opened as a monitoring application opens its port.
class LineReader
{
public:
    explicit LineReader(const QString& path)
        : m_fd(::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK))
    {
        m_clock.start();
        // Read as the bytes come (within a millisecond), so arrival times mean something.
        m_reading.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_reading, &QTimer::timeout, &m_reading, [this] { poll(); });
        m_reading.start(1);
    }
    ~LineReader()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool isOpen() const { return m_fd >= 0; }
    // A reader that stops reading, and one that reads again.
    void pause() { m_reading.stop(); }
    void resume() { m_reading.start(1); }
    const QByteArray& poll()
    {
        char buffer[4096];
        ssize_t count;
        while (m_fd >= 0 && (count = ::read(m_fd, buffer, sizeof buffer)) > 0) {
            for (ssize_t i = 0; i < count; ++i)
                m_arrivals.append(m_clock.elapsed());
            m_all.append(buffer, count);
        }
        return m_all;
    }
    qint64 arrivalOf(qsizetype offset) const { return m_arrivals.value(offset, -1); }
    qint64 nowMs() const { return m_clock.elapsed(); }

private:
    int m_fd;
    QElapsedTimer m_clock;
    QTimer m_reading;
    QByteArray m_all;
    QList<qint64> m_arrivals;
};

struct Tool {
    QProcess process;
    QByteArray out;
    QByteArray err;
    QString executable = program;

    // Headless unless told otherwise; the window on Qt's offscreen platform.
    void start(const QStringList& arguments, bool headless = true)
    {
        if (!headless) {
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
            process.setProcessEnvironment(environment);
        }
        process.setProgram(executable);
        process.setArguments(
            (headless ? QStringList{QStringLiteral("--headless")} : QStringList{}) + arguments);
        process.start();
    }
    pid_t pid() const { return pid_t(process.processId()); }
    void send(const QByteArray& command) { process.write(command + '\n'); }
    // Waits for the end (true also when it has already come).
    bool finished()
    {
        return process.state() == QProcess::NotRunning || process.waitForFinished(patienceMs);
    }
    const QByteArray& readOut() { return out += process.readAllStandardOutput(); }
    const QByteArray& readErr() { return err += process.readAllStandardError(); }
};

// The run's summary on standard error, as a truthful one reads for these figures.
inline QByteArray summary(int sent, int leftOut, qsizetype bytes, int errors)
{
    const auto count = [](qint64 n, const char* what) {
        return QByteArray::number(n) + ' ' + what + (n == 1 ? "" : "s");
    };
    return "dryx-plc-test: Summary: " + count(sent, "data string") + " sent, " +
           QByteArray::number(leftOut) + " left out; " + count(bytes, "byte") + " on the line; " +
           count(errors, "error") + " reported\n";
}
