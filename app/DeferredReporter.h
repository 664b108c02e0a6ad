#pragma once

#include "core/ErrorReporter.h"
#include "serial/DeferredCalls.h"

#include <QList>

// Tells the reporter beneath from the event loop, after the tick or the write in which the
// report was made: a message box must not open inside a tick. What has not been told by the
// program's end is told to standard error by `flush`, before the summary counts the errors.
class DeferredReporter final : public ErrorReporter
{
public:
    DeferredReporter(ErrorReporter& beneath, DeferredCalls& later)
        : m_beneath(beneath), m_later(later)
    {
    }

    void report(Severity severity, const QString& action, const QString& message) override;
    void flush(ErrorReporter& reporter);

private:
    struct Report {
        Severity severity;
        QString action;
        QString message;
    };

    ErrorReporter& m_beneath;
    DeferredCalls& m_later;
    QList<Report> m_waiting;
};
