#include "launcher/WindowStyle.h"

#include <QProcess>

#include <windows.h>

void WindowStyle::applyNormalFocused(QProcess& process)
{
    process.setCreateProcessArgumentsModifier([](QProcess::CreateProcessArguments* arguments) {
        arguments->startupInfo->dwFlags |= STARTF_USESHOWWINDOW;
        arguments->startupInfo->wShowWindow = SW_SHOWNORMAL;
    });
}
