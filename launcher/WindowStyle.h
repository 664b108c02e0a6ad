#pragma once

class QProcess;

// The window style the monitoring application is started with: style 1, a normal window,
// restored to its normal size and position, that receives the focus. Windows: the style is
// handed to the new process (STARTF_USESHOWWINDOW, SW_SHOWNORMAL). Linux: the window system
// places the window and gives it the focus; there is nothing to hand over.
namespace WindowStyle
{
void applyNormalFocused(QProcess& process);
} // namespace WindowStyle
