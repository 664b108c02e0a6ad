#include "app/DeferredReporter.h"

void DeferredReporter::report(Severity severity, const QString& action, const QString& message)
{
    m_waiting.append({severity, action, message});
    m_later.post([this] { flush(m_beneath); });
}

void DeferredReporter::flush(ErrorReporter& reporter)
{
    for (const Report& waiting : std::exchange(m_waiting, {}))
        reporter.report(waiting.severity, waiting.action, waiting.message);
}
