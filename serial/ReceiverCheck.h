#pragma once

#include "core/LineSettings.h"

#include <QString>

#include <optional>

class ErrorReporter;

// A pseudo-terminal carries the bytes whatever its reader has set, where a real line would not:
// a receiver set up wrong would go unseen. So the operator is told when the reader sets another
// speed or stop bits than the line sends, once per change:
//
//     Data transmission: the receiver on /tmp/dryx-line set 19200 bit/s; the line sends
//     9600,N,8,1: on a real line it would read garbage
class ReceiverCheck
{
public:
    // `readerPath`: where the reader opens the line, as the operator knows it.
    ReceiverCheck(ErrorReporter& reporter, QString readerPath)
        : m_reporter(reporter), m_readerPath(std::move(readerPath))
    {
    }

    // The settings the line sends with from now on.
    void lineSends(const LineSettings& settings) { m_sent = settings; }
    // The reader has come, or set its side anew.
    void readerSet(const LineSettings& receiver) const;
    // What the operator is told about a reader set so; nothing when it hears what is sent.
    std::optional<QString> notice(const LineSettings& receiver) const;

private:
    ErrorReporter& m_reporter;
    QString m_readerPath;
    LineSettings m_sent;
};
