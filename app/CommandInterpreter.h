#pragma once

#include "core/LineFault.h"
#include "core/RunStatus.h"

#include <QString>
#include <QStringList>
#include <QTextStream>

#include <functional>
#include <optional>

class ErrorReporter;
class LineFaults;
class OpenDryx;
class Simulator;

// The operator's actions without a window, one command a line, case-insensitive, blanks
// around words ignored:
//   start | stop | alarm N | set FIELD TEXT | fault KIND [ARG] [xN] | show | status | launch |
//   help | quit
// Each accepted command is confirmed with one short line on `out` (`show`, `status` and `help`
// answer there); refusals and unknown commands go to the error reporter, and the program goes on.
class CommandInterpreter
{
public:
    // A command line read, before it is carried out.
    struct Command {
        enum class Name { Start, Stop, Alarm, Set, Fault, Show, Status, Launch, Help, Quit };
        Name name = Name::Help;
        int alarm = 0;     // Alarm
        int field = 0;     // Set
        QString fieldName; // Set, as given
        QString text;      // Set
        LineFault fault;   // Fault
    };

    CommandInterpreter(Simulator& simulator, OpenDryx& openDryx, QTextStream& out,
                       ErrorReporter& reporter, std::function<void()> quit);

    void execute(const QString& line);
    // A line of BYTES, longer than LIMIT, that no command could be: refused unread.
    void refuseOverlong(qsizetype bytes, qsizetype limit);
    // Reads a command without carrying it out; nothing for a blank line. Throws UsageError
    // (the command and what is wrong with it) for what `execute` would refuse whatever the
    // form's state.
    static std::optional<Command> read(const QString& line);
    // Where `fault` arms its faults; without, `fault` is refused.
    void setFaults(LineFaults* faults) { m_faults = faults; }
    // Arms `fault` where `fault` does (there must be a place) and returns the confirmation.
    QString arm(const LineFault& fault);
    // More lines for `show`, after the form's own.
    void setMoreState(std::function<QStringList()> state) { m_moreState = std::move(state); }
    // How the run is going, for `status`; without, `status` is refused.
    void setStatus(std::function<RunStatus()> status) { m_status = std::move(status); }

    // The commands, as `help` lists them.
    static QString help();

private:
    void start();
    void stop();
    void alarm(int index);
    void set(const Command& command);
    void fault(const LineFault& fault);
    void show();
    void status();
    void launch();
    void confirm(const QString& line);

    Simulator& m_simulator;
    OpenDryx& m_openDryx;
    QTextStream& m_out;
    ErrorReporter& m_reporter;
    std::function<void()> m_quit;
    std::function<QStringList()> m_moreState;
    std::function<RunStatus()> m_status;
    LineFaults* m_faults = nullptr;
};
