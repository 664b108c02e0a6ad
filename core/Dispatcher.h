#pragma once

#include <QHash>
#include <QString>

#include <functional>

class ErrorReporter;

// Runs every handler. An error stops the handler at the step that raised it (the steps before
// stay done), is handed to the error reporter as "<what was being done>: <why>", and the program
// goes on.
class Dispatcher
{
public:
    explicit Dispatcher(ErrorReporter& reporter) : m_reporter(reporter) {}

    // An operator's action: every error is reported. Returns whether the handler completed.
    bool run(const QString& action, const std::function<void()>& handler);
    // A timer tick: an error that repeats on every tick is reported once; the same error from
    // the same timer is reported again only after one of its ticks has completed cleanly.
    bool runTick(int timer, const QString& action, const std::function<void()>& handler);

private:
    bool execute(const QString& action, const std::function<void()>& handler, QString* lastError);

    ErrorReporter& m_reporter;
    QHash<int, QString> m_lastTickError;
};
