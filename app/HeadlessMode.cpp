#include "app/HeadlessMode.h"

#include "app/Options.h"
#include "app/Session.h"
#include "app/StandardErrorReporter.h"
#include "core/UsageError.h"
#include "platform/CommandReader.h"
#include "platform/ProgramEnvironment.h"
#include "platform/SignalWatcher.h"

#include <QCoreApplication>

#include <unistd.h>

int runHeadless(int& argc, char** argv, const Options& options, StandardErrorReporter& reporter)
{
    ProgramEnvironment::plainEventLoop();
    QCoreApplication application(argc, argv);
    std::unique_ptr<Session> session;
    try {
        session = Session::open(options, reporter, [&reporter] { return reporter.errors(); });
    } catch (const UsageError& error) {
        reporter.error(error.action(), error.message());
        return 2;
    }

    // A signal that would end the program (SIGINT, SIGTERM, SIGHUP, SIGQUIT, ...) stops the run as
    // Stop does, then ends the program.
    SignalWatcher signalWatcher([&session](int) { session->stopAndEnd(); });

    if (options.virtualTime) {
        // The scenario alone drives the run: there is no time in which to read commands, and
        // no event loop to hear a signal: the run looks for one between the clock's steps.
        if (session->begin())
            session->runInVirtualTime([&signalWatcher] { signalWatcher.deliverPending(); });
        return session->finish(reporter);
    }
    // `quit` ends the program as "Close" does: no Stop first.
    CommandReader reader(
        STDIN_FILENO, [&session](const QString& line) { session->commands().execute(line); },
        [&session](qsizetype bytes) {
            session->commands().refuseOverlong(bytes, CommandReader::maxLineBytes);
        });
    if (session->begin())
        QCoreApplication::exec();
    return session->finish(reporter);
}
