#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

// What the line should carry, and when: the simulator run in virtual time with the same
// setup and entries as the tool, Start at 0, and its writes put on a model wire of 960
// characters a second (a data string written while the wire still sends the one before, as
// after a hand-over, starts when the wire is free).
class NominalTimeline
{
public:
    struct DataString {
        double startMs; // first byte on the wire
        QByteArray bytes;
    };

    static QList<DataString> compute(const QList<QPair<int, QString>>& entries, qint64 durationMs);
};
