#pragma once

#include <QString>

// Tells the operator about an error a handler raised, in words the operator understands.
class ErrorReporter
{
public:
    virtual ~ErrorReporter() = default;
    virtual void report(const QString& message) = 0;
};
