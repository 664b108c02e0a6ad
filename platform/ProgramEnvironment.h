#pragma once

#include <QString>

// What the program needs to know of the system it starts on, and asks of it.
namespace ProgramEnvironment
{
// Whether a window can be shown. Linux: DISPLAY or WAYLAND_DISPLAY is set, or a Qt platform is
// named outright (QT_QPA_PLATFORM=offscreen, vnc, ...). Windows: always (the desktop).
bool displayAvailable();
// A reader of standard output that goes away must not end the program before it has tidied up
// (closed the port, removed the virtual line's link): Linux ignores SIGPIPE. On Windows a write
// to a closed pipe fails and nothing more.
void keepRunningWhenOutputCloses();
// The window is about to open. On Windows the program is a console program, so that its
// messages, --trace and the headless mode work in a command prompt; started from a shortcut or
// the Explorer it gets a console window of its own, which is hidden (its messages are shown in
// message boxes as well). A console it shares with the command prompt it was started from stays.
// Nothing on Linux.
void windowOpens();
// The program runs without a window: its event loop needs no more than the system's own wait for
// descriptors and timers. Linux: Qt's own dispatcher rather than GLib's main loop, which wakes
// the program more often and costs more per wake-up (unless QT_NO_GLIB is set already: the
// user's choice stands). Nothing on Windows.
void plainEventLoop();
// The line's timing should hold on a busy machine: the program asks for a raised priority where
// the system grants it (Linux: nice -10, for root or within RLIMIT_NICE, reset to 0 in the
// programs it starts; Windows: the above-normal class, which programs it starts do not inherit).
// Where it is not granted the program runs as it was. Returns whether it was raised.
bool raiseTimingPriority();
// The folder the program's executable is in, symbolic links followed, before any
// QCoreApplication exists (the window's module is looked for from there).
QString programFolder();
} // namespace ProgramEnvironment
