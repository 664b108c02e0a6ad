#pragma once

#include "core/ErrorReporter.h"

#include <cstdio>

// Writes every error and notice as one line on standard error,
// `dryx-plc-test: <action>: <message>`, and counts the errors. The program's one writer of that
// line: the window shows its message boxes on top of it.
class StandardErrorReporter : public ErrorReporter
{
public:
    explicit StandardErrorReporter(std::FILE* stream = stderr) : m_stream(stream) {}

    void report(Severity severity, const QString& action, const QString& message) override;
    // The one line at the end of a run: `dryx-plc-test: Summary: <message>`; not counted.
    void summarize(const QString& message);

    int errors() const { return m_errors; }

private:
    void write(const QString& action, const QString& message);

    std::FILE* m_stream;
    int m_errors = 0;
};
