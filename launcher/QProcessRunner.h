#pragma once

#include "launcher/ProcessRunner.h"

#include <chrono>
#include <list>

class QProcess;

// Runs programs as QProcess children, each followed through its signals and a time limit on a
// QTimer: nothing here waits, so a helper that takes seconds (Wine making a prefix afresh)
// never holds back a data string.
class QProcessRunner : public ProcessRunner
{
public:
    // A prefix made afresh by Wine's first use takes some seconds; two minutes is a hang.
    static constexpr std::chrono::milliseconds defaultTimeLimit = std::chrono::seconds(120);

    explicit QProcessRunner(std::chrono::milliseconds timeLimit = defaultTimeLimit);
    ~QProcessRunner() override;
    QProcessRunner(const QProcessRunner&) = delete;
    QProcessRunner& operator=(const QProcessRunner&) = delete;

    void run(const QString& program, const QStringList& arguments,
             const QProcessEnvironment& environment, Finished finished) override;

private:
    struct Run {
        QProcess* process; // deleted later: it may be forgotten inside its own signal
        Finished finished; // empty once told
    };

    void tell(QProcess* process, const Outcome& outcome);
    void forget(QProcess* process);
    Run* runOf(QProcess* process);

    std::chrono::milliseconds m_timeLimit;
    std::list<Run> m_runs;
};
