#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class PtyBaseline;

// One headless run of the tool on its virtual line, read by this process as a monitoring
// application would read its serial port: every chunk with the moment it arrived (monotonic
// clock, ms), the tool's CPU time from the system, and its resident memory and its peak
// sampled every second.
class ToolRun
{
public:
    struct Chunk {
        double atMs;
        QByteArray bytes;
    };

    // The tool on its virtual line, which it names on standard error.
    bool run(const QString& program, const QStringList& arguments, QString* why);
    // The tool on a line of the bench's own: `line` is the reading side of a pseudo-terminal
    // the tool writes to (the Windows program under Wine, a COM port mapped to it).
    bool runOnLine(int line, const QString& program, const QStringList& arguments, QString* why);

    QList<Chunk> chunks;
    double startedAtMs = 0;     // when the tool was started
    double lineNamedAtMs = 0;   // when it named its line, its start-up done
    QList<qint64> rssSamplesKb; // one a second
    // Its threads' context switches (each a sleep it woke from, or a turn taken from it) from the
    // first sample to the last, and the seconds between them.
    qint64 contextSwitches = 0;
    double switchSeconds = 0;
    // Read beside the tool's line, by the same loop, while the tool runs: nothing when null.
    PtyBaseline* baseline = nullptr;
    double cpuSeconds = 0;
    qint64 peakRssKb = 0;
    int exitStatus = -1;
    QByteArray standardError;

private:
    // Starts the program, standard error on a pipe; its pid and the pipe's reading end.
    bool spawn(const QString& program, const QStringList& arguments, int* pid, int* errors,
               QString* why);
    // Reads the line and standard error until the program has ended.
    void follow(int pid, int line, int errors);
};
