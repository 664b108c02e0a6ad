#include "app/HeadlessMode.h"
#include "app/Options.h"
#include "app/StandardErrorReporter.h"
#include "app/WindowModule.h"
#include "core/UsageError.h"
#include "platform/ProgramEnvironment.h"

#include <cstdio>
#include <cstdlib>
#include <optional>

int main(int argc, char** argv)
{
    ProgramEnvironment::keepRunningWhenOutputCloses();
    StandardErrorReporter reporter;
    std::optional<Options> options;
    try {
        options = Options::parse(argc, argv);
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
    const WindowModule::Loaded window = WindowModule::load(ProgramEnvironment::programFolder());
    if (!window.run) {
        reporter.error(QStringLiteral("Window"),
                       QStringLiteral("cannot open the window: %1; reinstall the program, or "
                                      "run it with --headless, which needs no window")
                           .arg(window.failure));
        return 1;
    }
    ProgramEnvironment::windowOpens();
    return window.run(&argc, argv);
}
