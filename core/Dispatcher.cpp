#include "core/Dispatcher.h"

#include "core/ErrorReporter.h"
#include "core/SimulatorError.h"

Dispatcher::Dispatcher(ErrorReporter& reporter, std::FILE* log) : m_reporter(reporter), m_log(log)
{
}

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
        const QString text = QStringLiteral("%1: %2").arg(action, error.message());
        if (!lastError || *lastError != text)
            report(text);
        if (lastError)
            *lastError = text;
        return false;
    }
}

void Dispatcher::report(const QString& text)
{
    if (m_log) {
        std::fprintf(m_log, "dryx-plc-test: %s\n", text.toLocal8Bit().constData());
        std::fflush(m_log);
    }
    m_reporter.report(text);
}
