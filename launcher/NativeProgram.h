#pragma once

#include <QString>

#include <optional>

// Starts a program of this system by its path: detached (it lives on after this program ends),
// with no arguments, no working directory or environment of its own, in window style 1 (a
// normal window, restored to its normal size and position, that receives the focus), without
// waiting for it. Returns why it could not be started, in the system's words, or nothing.
// Linux: QProcess (the window system places the window and gives it the focus). Windows:
// CreateProcess with the style handed to the new process (STARTF_USESHOWWINDOW, SW_SHOWNORMAL).
namespace NativeProgram
{
std::optional<QString> start(const QString& path);
} // namespace NativeProgram
