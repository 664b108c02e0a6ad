#include "app/HeadlessMode.h"
#include "app/Options.h"
#include "app/StandardErrorReporter.h"
#include "app/WindowMode.h"
#include "core/UsageError.h"
#include "platform/ProgramEnvironment.h"

#include <QStringList>

#include <cstdio>
#include <cstdlib>
#include <optional>

int main(int argc, char** argv)
{
    ProgramEnvironment::keepRunningWhenOutputCloses();
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    StandardErrorReporter reporter;
    std::optional<Options> options;
    try {
        options = Options::parse(arguments);
    } catch (const UsageError& error) {
        reporter.error(error.action(), error.message());
        return 2;
    }
    if (options->help) {
        std::fputs(Options::usage().toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (options->version) {
        std::printf("%s %s\n", programName, DRYX_VERSION);
        return 0;
    }
    // A run in real time keeps its moments best when the system lets it go first.
    if (!options->virtualTime)
        ProgramEnvironment::raiseTimingPriority();
    if (options->headless || options->virtualTime)
        return runHeadless(argc, argv, *options, reporter);
    if (!ProgramEnvironment::displayAvailable()) {
        reporter.notice(QStringLiteral("No display"),
                        QStringLiteral("running without a window, the operator's actions as "
                                       "commands on standard input; `help` lists them"));
        return runHeadless(argc, argv, *options, reporter);
    }
    ProgramEnvironment::windowOpens();
    return runWindow(argc, argv, *options, reporter);
}
