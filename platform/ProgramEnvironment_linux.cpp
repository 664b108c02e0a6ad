#include "platform/ProgramEnvironment.h"

#include <csignal>
#include <cstdlib>

void ProgramEnvironment::keepRunningWhenOutputCloses()
{
    std::signal(SIGPIPE, SIG_IGN);
}

void ProgramEnvironment::windowOpens() {}

void ProgramEnvironment::plainEventLoop()
{
    // Read when the application object makes its dispatcher, so it must come before that.
    setenv("QT_NO_GLIB", "1", 0);
}

bool ProgramEnvironment::displayAvailable()
{
    const auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value && *value;
    };
    return set("DISPLAY") || set("WAYLAND_DISPLAY") || set("QT_QPA_PLATFORM");
}
