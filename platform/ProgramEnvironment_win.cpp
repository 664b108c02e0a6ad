#include "platform/ProgramEnvironment.h"

#include <QDir>
#include <QFileInfo>

#include <windows.h>

#include <string>

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

QString ProgramEnvironment::programFolder()
{
    // A path longer than the buffer comes back cut short: the buffer grows until it fits.
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
        if (length == 0)
            return {};
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    return QFileInfo(QDir::fromNativeSeparators(QString::fromStdWString(path))).absolutePath();
}
