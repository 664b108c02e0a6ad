#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>

#include <functional>

class ErrorReporter;
class OpenDryx;
class Simulator;

// The operator's actions without a window, one command a line, case-insensitive, blanks
// around words ignored:
//   start | stop | alarm N | set FIELD TEXT | show | launch | help | quit
// Each accepted command is confirmed with one short line on `out` (`show` and `help` answer
// there); refusals and unknown commands go to the error reporter, and the program goes on.
class CommandInterpreter
{
public:
    CommandInterpreter(Simulator& simulator, OpenDryx& openDryx, QTextStream& out,
                       ErrorReporter& reporter, std::function<void()> quit);

    void execute(const QString& line);
    // More lines for `show`, after the form's own.
    void setMoreState(std::function<QStringList()> state) { m_moreState = std::move(state); }

    // The commands, as `help` lists them.
    static QString help();

private:
    void start();
    void stop();
    void alarm(const QString& argument);
    void set(const QString& arguments);
    void show();
    void launch();
    void confirm(const QString& line);

    Simulator& m_simulator;
    OpenDryx& m_openDryx;
    QTextStream& m_out;
    ErrorReporter& m_reporter;
    std::function<void()> m_quit;
    std::function<QStringList()> m_moreState;
};
