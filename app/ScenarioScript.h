#pragma once

#include <QList>
#include <QString>

#include <chrono>

// A test rig's scenario: the operator's commands, each at a moment on the tool's own clock,
// counted from start-up, one step a line:
//
//     # the first alarm during a minute's run
//     at 0 start
//     at 3000 alarm 1
//     at 12000 fault cut
//     at 60000 quit
//
// Blank lines and lines starting with `#` are skipped; times never go backwards; a step is
// any command the headless mode takes.
//
// The file is read as UTF-8, or as Latin-1 when it is not UTF-8 (every byte stands for
// itself); only a regular file of at most `largestFile` bytes is read.
class ScenarioScript
{
public:
    // A million steps take about 20 MB.
    static constexpr qint64 largestFile = 64LL * 1024 * 1024;

    struct Step {
        std::chrono::milliseconds at;
        QString command;
        int lineNumber;
    };

    // Reads the whole file and checks every step before anything runs. Throws UsageError,
    // naming FILE:LINE, for the first step at fault (or --script, for a file it cannot read).
    // `virtualTime`: the run will have no real time, so no program can be launched.
    static ScenarioScript read(const QString& path, bool virtualTime);
    static ScenarioScript parse(const QString& name, const QString& text, bool virtualTime);

    const QList<Step>& steps() const { return m_steps; }
    // The moment of the last step; 0 for a script without steps.
    std::chrono::milliseconds last() const;

private:
    QList<Step> m_steps;
};
