#pragma once

#include <QString>
#include <QStringList>

#include <chrono>
#include <optional>

// How a run is going, gathered from the program's parts when asked: the line, whether the run
// goes and since when, what went on the line, the errors, the faults still armed and the
// scenario's progress. Times are in ms on the tool's clock since start-up, as a scenario's steps
// count them. The `status` command and the end of the trace print it; a window may show it.
struct RunStatus {
    enum class Line {
        Device,  // a serial device
        Virtual, // the built-in virtual line
        None,    // virtual time: no line at all
    };

    std::chrono::milliseconds time{0}; // now
    Line line = Line::None;
    qint16 comPort = 1;
    QString device; // the Com Port's device, or the virtual line's pseudo-terminal
    QString link;   // the virtual line's link, if it has one
    QString settings = QStringLiteral("9600,N,8,1"); // what the line sends with
    // The virtual line only: whether a reader has it open, what that reader set (e.g.
    // "19200,N,8,1"), and the receiver check's notice when that is not what the line sends.
    std::optional<bool> readerPresent;
    QString receiver;
    QString receiverNotice;
    bool running = false;
    std::chrono::milliseconds since{0}; // when the run last began or ended (or start-up)
    qint64 dataStringsSent = 0;
    qint64 dataStringsLeftOut = 0;
    qint64 dataStringsLost = 0; // that the reader could not take: it was not reading
    qint64 bytesOnTheLine = 0;
    int errorsReported = 0;
    QStringList faultsArmed; // as `fault` takes them, e.g. "garble 5", "cut x2"
    QString scenarioFile;    // the scenario's script, if there is one
    bool scenarioRunning = false;
    int stepsDone = 0; // of the scenario's
    int steps = 0;
    std::optional<std::chrono::milliseconds> nextStepAt;
    QString nextStep; // the command, as the script gives it
};
