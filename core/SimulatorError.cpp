#include "core/SimulatorError.h"

QString describe(ErrorKind kind)
{
    switch (kind) {
    case ErrorKind::TypeMismatch:
        return QStringLiteral("type mismatch");
    case ErrorKind::Overflow:
        return QStringLiteral("overflow");
    case ErrorKind::IndexOutOfRange:
        return QStringLiteral("index out of range");
    case ErrorKind::TimerRefused:
        return QStringLiteral("timer interval refused");
    case ErrorKind::PortRefused:
        return QStringLiteral("port refused");
    case ErrorKind::LaunchFailed:
        return QStringLiteral("program not started");
    case ErrorKind::NoSetup:
        return QStringLiteral("no setup");
    }
    return {};
}

SimulatorError::SimulatorError(ErrorKind kind, const QString& reason)
    : std::runtime_error(reason.toStdString()), m_kind(kind), m_reason(reason)
{
}

QString SimulatorError::message() const
{
    return QStringLiteral("%1 (%2)").arg(m_reason, describe(m_kind));
}
