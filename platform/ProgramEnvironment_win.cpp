#include "platform/ProgramEnvironment.h"

#include <windows.h>

void ProgramEnvironment::keepRunningWhenOutputCloses() {}

void ProgramEnvironment::plainEventLoop() {}

bool ProgramEnvironment::raiseTimingPriority()
{
    return SetPriorityClass(GetCurrentProcess(), ABOVE_NORMAL_PRIORITY_CLASS) != 0;
}

void ProgramEnvironment::windowOpens()
{
    // The program alone in its console: the console was made for it.
    DWORD processes[2] = {};
    if (GetConsoleProcessList(processes, 2) == 1)
        ShowWindow(GetConsoleWindow(), SW_HIDE);
}

bool ProgramEnvironment::displayAvailable()
{
    return true;
}
