#include "launcher/NativeProgram.h"

#include <QDir>

#include <windows.h>

namespace
{
QString systemMessage(DWORD error)
{
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    const QString text = length ? QString::fromWCharArray(buffer, int(length)).trimmed()
                                : QStringLiteral("the system gave no reason (error %1)").arg(error);
    LocalFree(buffer);
    return text;
}
} // namespace

// CreateProcess itself, not QProcess: QProcess does not say why a detached start failed.
std::optional<QString> NativeProgram::start(const QString& path)
{
    const std::wstring program = QDir::toNativeSeparators(path).toStdWString();
    // The command line is the program's path alone, quoted (it has blanks: "c:\program files").
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                        CREATE_NEW_PROCESS_GROUP, nullptr, nullptr, &startup, &started))
        return systemMessage(GetLastError());
    // The task is not followed: its handles are let go at once.
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    return std::nullopt;
}
