#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <functional>

// Runs a helper program to its end without holding up the caller: the event loop, and with it
// the transmitters' ticks, goes on while it runs. What came of it is told once, later.
class ProcessRunner
{
public:
    struct Outcome {
        enum class End {
            Exited,     // it ended by itself; `exitCode` is what it returned
            Crashed,    // a signal ended it
            NotStarted, // it could not be started; `reason` says why
            TimedOut,   // it did not end within its time limit and was killed
        };
        End end = End::Exited;
        int exitCode = 0;
        QString reason;
        bool operator==(const Outcome&) const = default;
    };
    using Finished = std::function<void(const Outcome& outcome)>;

    virtual ~ProcessRunner() = default;

    // Starts `program` with `arguments` in `environment`, standard input empty, and calls
    // `finished` once when it is over. A runner that goes away first kills what it runs and
    // tells no one.
    virtual void run(const QString& program, const QStringList& arguments,
                     const QProcessEnvironment& environment, Finished finished) = 0;
};
