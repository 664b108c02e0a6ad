#include "app/HeadlessMode.h"
#include "app/Options.h"
#include "app/StandardErrorReporter.h"
#include "app/WindowMode.h"
#include "core/UsageError.h"

#include <QStringList>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <optional>

namespace
{
bool displayAvailable()
{
    const auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value && *value;
    };
    // A platform named outright (QT_QPA_PLATFORM=offscreen, vnc, ...) needs no display.
    return set("DISPLAY") || set("WAYLAND_DISPLAY") || set("QT_QPA_PLATFORM");
}
} // namespace

int main(int argc, char** argv)
{
    // A reader of the trace that goes away must not end the program before it has tidied up
    // (closed the port, removed the virtual line's link).
    std::signal(SIGPIPE, SIG_IGN);
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
    if (options->headless || options->virtualTime)
        return runHeadless(argc, argv, *options, reporter);
    if (!displayAvailable()) {
        reporter.notice(QStringLiteral("No display"),
                        QStringLiteral("running without a window, the operator's actions as "
                                       "commands on standard input; `help` lists them"));
        return runHeadless(argc, argv, *options, reporter);
    }
    return runWindow(argc, argv, *options, reporter);
}
