// Stands in for the monitoring application in the launcher test on Windows: appends one line,
// "PID ARGUMENTS STYLE", to the file named by DRYX_LAUNCH_LOG (STYLE: the window style it was
// started with, or "default" when none was given), then stays up until it is ended.
#include <cstdio>
#include <cstdlib>
#include <windows.h>

int main(int argc, char**)
{
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    GetStartupInfoW(&startup);
    if (const char* log = std::getenv("DRYX_LAUNCH_LOG")) {
        if (FILE* file = std::fopen(log, "ab")) {
            if (startup.dwFlags & STARTF_USESHOWWINDOW)
                std::fprintf(file, "%lu %d %u\n", GetCurrentProcessId(), argc - 1,
                             unsigned(startup.wShowWindow));
            else
                std::fprintf(file, "%lu %d default\n", GetCurrentProcessId(), argc - 1);
            std::fclose(file);
        }
    }
    Sleep(30000);
    return 0;
}
