#pragma once

#include <QIcon>
#include <QPixmap>

// The tool's own images, drawn here rather than shipped as files.
namespace Pictures
{

// 32 x 32: a signal lamp over a serial line, for the window's title bar and task bar.
QPixmap windowIcon();
// 27 x 27: the monitoring application's screen with a trend line, for the launcher.
QPixmap launcher();

} // namespace Pictures
