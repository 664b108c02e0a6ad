#include "app/HeadlessMode.h"

#include "app/CommandInterpreter.h"
#include "app/CommandReader.h"
#include "app/Options.h"
#include "app/Session.h"
#include "app/SignalWatcher.h"
#include "app/SilentErrorReporter.h"
#include "core/Simulator.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>
#include <unistd.h>

int runHeadless(int& argc, char** argv, const Options& options)
{
    QCoreApplication application(argc, argv);
    SilentErrorReporter reporter;
    std::unique_ptr<Session> session = Session::open(options, reporter);
    if (!session)
        return 2;

    // SIGINT and SIGTERM stop the run as Stop does, then end the program.
    SignalWatcher signalWatcher([&session](int) {
        session->simulator().Command3_Click();
        session->end();
    });

    QTextStream out(stdout);
    QTextStream err(stderr);
    // `quit` ends the program as "Close" does: no Stop first.
    CommandInterpreter interpreter(session->simulator(), out, err, [&session] { session->end(); });
    CommandReader reader(STDIN_FILENO,
                         [&interpreter](const QString& line) { interpreter.execute(line); });

    session->begin();
    return application.exec();
}
