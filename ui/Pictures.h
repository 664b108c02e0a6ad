#pragma once

#include <QIcon>
#include <QPixmap>

// The tool's own images, drawn here rather than shipped as files.
namespace Pictures
{

// 32 x 32: a signal lamp over a serial line, for the window's title bar and task bar.
QPixmap windowIcon();
// The same drawing at `size` x `size` pixels, for the icon theme's files: one drawing for the
// window and the desktop, so that they cannot drift apart.
QPixmap windowIcon(int size);
// 27 x 27: the monitoring application's screen with a trend line, for the launcher.
QPixmap launcher();

} // namespace Pictures
