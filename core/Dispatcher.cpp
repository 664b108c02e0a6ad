#include "core/Dispatcher.h"

#include "core/ErrorReporter.h"
#include "core/SimulatorError.h"

bool Dispatcher::run(const QString& action, const std::function<void()>& handler)
{
    return execute(action, handler, nullptr);
}

bool Dispatcher::runTick(int timer, const QString& action, const std::function<void()>& handler)
{
    QString& lastError = m_lastTickError[timer];
    return execute(action, handler, &lastError);
}

bool Dispatcher::execute(const QString& action, const std::function<void()>& handler,
                         QString* lastError)
{
    try {
        handler();
        if (lastError)
            lastError->clear();
        return true;
    } catch (const SimulatorError& error) {
        const QString message = error.message();
        const QString text = action + QLatin1String(": ") + message;
        if (!lastError || *lastError != text)
            m_reporter.error(action, message);
        if (lastError)
            *lastError = text;
        return false;
    }
}
