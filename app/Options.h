#pragma once

#include "serial/PortMap.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

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
    bool help = false;
    bool version = false;
    std::optional<qint64> durationMs;
    QList<FieldEntry> entries; // --set, in the order given
    QString settingsFile;
    PortMap ports;
    bool virtualPort = false;
    QString virtualLink;

    // Reads the arguments after the program name. Nothing, with `why` set to a one-line
    // reason, when they are not usable.
    static std::optional<Options> parse(const QStringList& arguments, QString* why);
    static QString usage();
};
