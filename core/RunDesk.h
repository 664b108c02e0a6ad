#pragma once

#include "core/LineFault.h"
#include "core/LineFaults.h"
#include "core/RunStatus.h"

#include <QList>
#include <QString>

#include <optional>

// What an operator at a desk (the line window) may see of a run and do to it beside the form:
// its status, the faults armed, a scenario, the record. The program's wiring answers.
class RunDesk
{
public:
    // A step of a scenario script at fault: its line (0: the file as a whole) and what is wrong.
    struct ScenarioProblem {
        int line = 0;
        QString message;
        bool operator==(const ScenarioProblem&) const = default;
    };

    virtual RunStatus status() const = 0;
    // How soon the run's timers next act (a tick or a scenario step); nothing when none will.
    // A desk repaints away from that moment, so that no tick waits for it.
    virtual std::optional<std::chrono::milliseconds> nextTickIn() const = 0;

    virtual QList<LineFaults::Armed> armedFaults() const = 0;
    // Arms `fault` as the `fault` command does; returns what the command confirms.
    virtual QString armFault(const LineFault& fault) = 0;
    // False when the fault has gone on the line meanwhile.
    virtual bool takeBackFault(quint64 id) = 0;

    // Reads the script and checks it whole. Without a problem it is the scenario from now on,
    // ready to run; with any, there is no scenario, and every problem is returned. Refused while
    // a scenario runs.
    virtual QList<ScenarioProblem> openScenario(const QString& path) = 0;
    // Runs the scenario, its moments counted from now on the tool's clock.
    virtual void runScenario() = 0;
    // No more of its steps are taken.
    virtual void stopScenario() = 0;

    // Records the run to `path` from now on, as --log does, made afresh; the record the desk
    // kept before ends. Returns why it cannot.
    virtual std::optional<QString> recordTo(const QString& path) = 0;
    virtual void stopRecording() = 0;
    // Where the desk's record goes; empty when none.
    virtual QString recordFile() const = 0;

protected:
    ~RunDesk() = default;
};
