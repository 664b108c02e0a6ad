#pragma once

#include "core/ErrorReporter.h"

// Without a window the dispatcher's line on standard error is the whole report.
class SilentErrorReporter : public ErrorReporter
{
public:
    void report(const QString&) override {}
};
