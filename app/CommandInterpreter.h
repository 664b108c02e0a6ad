#pragma once

#include <QString>
#include <QTextStream>

#include <functional>

class ErrorReporter;
class Simulator;

// The operator's actions without a window, one command a line, case-insensitive, blanks
// around words ignored:
//   start | stop | alarm N | set FIELD TEXT | show | quit
// `show` answers on `out`; refusals and unknown commands go to the error reporter, and the
// program goes on.
class CommandInterpreter
{
public:
    CommandInterpreter(Simulator& simulator, QTextStream& out, ErrorReporter& reporter,
                       std::function<void()> quit);

    void execute(const QString& line);

private:
    void alarm(const QString& argument);
    void set(const QString& arguments);
    void show();

    Simulator& m_simulator;
    QTextStream& m_out;
    ErrorReporter& m_reporter;
    std::function<void()> m_quit;
};
