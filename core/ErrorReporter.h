#pragma once

#include <QString>

// Tells the operator of an error or a notice, as "<action>: <message>": what was being done,
// and what happened, in the operator's words (`Start: Com Port "abc" is not a number (type
// mismatch)`). Every error and notice of the program takes this one path.
class ErrorReporter
{
public:
    enum class Severity {
        Error,  // something asked for was not done
        Notice, // the run goes on as asked, but the operator should know
    };

    virtual ~ErrorReporter() = default;
    virtual void report(Severity severity, const QString& action, const QString& message) = 0;

    void error(const QString& action, const QString& message)
    {
        report(Severity::Error, action, message);
    }
    void notice(const QString& action, const QString& message)
    {
        report(Severity::Notice, action, message);
    }
};
