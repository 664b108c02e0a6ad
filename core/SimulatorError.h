#pragma once

#include <QString>
#include <stdexcept>

// The kinds of error a handler can raise. Each stops the handler at the step that raised it.
enum class ErrorKind {
    TypeMismatch,    // a text that is not a number was converted
    Overflow,        // a 16-bit or 32-bit result out of range
    IndexOutOfRange, // an alarm beyond the fourth
    TimerRefused,    // an interval the timer facility cannot run
    PortRefused,     // an operation the serial port refused
    LaunchFailed,    // a program the launcher could not start
    NoSetup,         // the settings store cannot be read at all
};

QString describe(ErrorKind kind);

class SimulatorError : public std::runtime_error
{
public:
    // `reason` is what went wrong in an operator's words, without the kind:
    // `Com Port "abc" is not a number`.
    SimulatorError(ErrorKind kind, const QString& reason);

    ErrorKind kind() const { return m_kind; }
    const QString& reason() const { return m_reason; }
    // The reason followed by the kind: `Com Port "abc" is not a number (type mismatch)`.
    QString message() const;

    // The same error said of something else, e.g. of the field the text came from.
    SimulatorError restated(const QString& reason) const { return {m_kind, reason}; }

private:
    ErrorKind m_kind;
    QString m_reason;
};
