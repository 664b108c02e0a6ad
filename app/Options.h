#pragma once

#include "serial/PortMap.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The name the program is called by, and signs its messages with.
inline constexpr const char* programName = "dryx-plc-test";

// The command line, as both the window and the headless mode take it.
struct Options {
    struct FieldEntry {
        int field;    // 1..8
        QString name; // as given, for messages
        QString text;
    };

    bool headless = false;
    bool start = false;
    bool trace = false;
    bool monitor = false; // --monitor: the line window open from the start
    bool help = false;
    bool version = false;
    std::optional<qint64> durationMs;
    QList<FieldEntry> entries; // --set, in the order given
    QString settingsFile;
    QString logFile;        // --log or --log-append
    bool logAppend = false; // --log-append: the record is added to the file, not made afresh
    QString device;         // the one positional argument: the device of every Com Port
    PortMap ports;          // --port, or the device
    bool virtualPort = false;
    QString virtualLink;
    std::optional<int> wineCom; // --wine-com
    QString scriptFile;         // --script
    bool virtualTime = false;   // --virtual-time
    quint64 seed = 1;           // --seed: every random choice of the line faults

    // Reads the arguments after the program name. Throws UsageError, naming the argument at
    // fault, when they are not usable.
    static Options parse(const QStringList& arguments);
    // The same, from main()'s arguments (argv[0], the program, left out).
    static Options parse(int argc, char** argv);
    static QString usage();
};
