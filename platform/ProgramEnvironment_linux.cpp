#include "platform/ProgramEnvironment.h"

#include <QFileInfo>

#include <csignal>
#include <cstdlib>
#include <sched.h>
#include <sys/resource.h>

void ProgramEnvironment::keepRunningWhenOutputCloses()
{
    std::signal(SIGPIPE, SIG_IGN);
}

void ProgramEnvironment::windowOpens() {}

bool ProgramEnvironment::raiseTimingPriority()
{
    // First, so that nothing started later (DRYX under Wine, Wine's tools) inherits the nice
    // value: the kernel resets it to 0 in children.
    const sched_param normal{};
    if (sched_setscheduler(0, SCHED_OTHER | SCHED_RESET_ON_FORK, &normal) != 0)
        return false;
    return setpriority(PRIO_PROCESS, 0, -10) == 0;
}

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

QString ProgramEnvironment::programFolder()
{
    return QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget()).absolutePath();
}
