#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// One headless run of the tool on its virtual line, read by this process as a monitoring
// application would read its serial port: every chunk with the moment it arrived (monotonic
// clock, ms), the tool's CPU time and peak resident memory from the system, and its resident
// memory sampled every second.
class ToolRun
{
public:
    struct Chunk {
        double atMs;
        QByteArray bytes;
    };

    bool run(const QString& program, const QStringList& arguments, QString* why);

    QList<Chunk> chunks;
    QList<qint64> rssSamplesKb; // one a second
    double cpuSeconds = 0;
    qint64 peakRssKb = 0;
    int exitStatus = -1;
    QByteArray standardError;
};
