#include "launcher/QProcessRunner.h"

#include <QProcess>
#include <QTimer>

#include <QRegularExpression>

#include <algorithm>

namespace
{
// Qt says e.g. "execve: No such file or directory": the operator needs the reason only.
QString reasonOf(const QProcess& process)
{
    QString reason = process.errorString();
    reason.remove(QRegularExpression(QStringLiteral("^[a-z_]+: ")));
    return reason;
}
} // namespace

QProcessRunner::QProcessRunner(std::chrono::milliseconds timeLimit) : m_timeLimit(timeLimit) {}

QProcessRunner::~QProcessRunner()
{
    for (const Run& run : m_runs) {
        QObject::disconnect(run.process, nullptr, nullptr, nullptr);
        // Only at the program's end, when no line is sent any more: a killed child is reaped
        // within milliseconds, and QProcess would wait for it in its destructor all the same.
        run.process->kill();
        run.process->waitForFinished(1000);
        delete run.process;
    }
}

void QProcessRunner::run(const QString& program, const QStringList& arguments,
                         const QProcessEnvironment& environment, Finished finished)
{
    auto* process = new QProcess;
    m_runs.push_back({process, std::move(finished)});
    process->setProgram(program);
    process->setArguments(arguments);
    process->setProcessEnvironment(environment);
    process->setStandardInputFile(QProcess::nullDevice());
    auto* timeLimit = new QTimer(process);
    timeLimit->setSingleShot(true);
    timeLimit->setInterval(m_timeLimit);

    QObject::connect(process, &QProcess::finished, process,
                     [this, process, timeLimit](int exitCode, QProcess::ExitStatus status) {
                         timeLimit->stop();
                         tell(process, status == QProcess::NormalExit
                                           ? Outcome{Outcome::End::Exited, exitCode, {}}
                                           : Outcome{Outcome::End::Crashed, exitCode, {}});
                         forget(process);
                     });
    QObject::connect(process, &QProcess::errorOccurred, process,
                     [this, process](QProcess::ProcessError error) {
                         if (error != QProcess::FailedToStart)
                             return; // a crash or a kill ends in `finished` as well
                         tell(process, {Outcome::End::NotStarted, 0, reasonOf(*process)});
                         forget(process);
                     });
    // Told at once; the killed process is forgotten when its end has been seen.
    QObject::connect(timeLimit, &QTimer::timeout, process, [this, process] {
        process->kill();
        tell(process, {Outcome::End::TimedOut, 0, {}});
    });
    process->start();
    if (process->state() != QProcess::NotRunning)
        timeLimit->start();
}

QProcessRunner::Run* QProcessRunner::runOf(QProcess* process)
{
    const auto found = std::find_if(m_runs.begin(), m_runs.end(),
                                    [process](const Run& run) { return run.process == process; });
    return found == m_runs.end() ? nullptr : &*found;
}

void QProcessRunner::tell(QProcess* process, const Outcome& outcome)
{
    Run* run = runOf(process);
    if (!run || !run->finished)
        return;
    // Taken first: whoever is told may start the next program on this runner.
    const Finished finished = std::exchange(run->finished, {});
    finished(outcome);
}

void QProcessRunner::forget(QProcess* process)
{
    m_runs.remove_if([process](const Run& run) { return run.process == process; });
    QObject::disconnect(process, nullptr, nullptr, nullptr);
    process->deleteLater();
}
