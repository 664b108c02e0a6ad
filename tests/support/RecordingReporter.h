#pragma once

#include "core/ErrorReporter.h"

#include <QStringList>

// Collects what would have been told to the operator, each as "<action>: <message>".
class RecordingReporter : public ErrorReporter
{
public:
    QStringList reports; // errors and notices, in order
    QStringList notices; // the notices alone

    void report(Severity severity, const QString& action, const QString& message) override
    {
        const QString text = action + QLatin1String(": ") + message;
        reports.append(text);
        if (severity == Severity::Notice)
            notices.append(text);
    }
};
