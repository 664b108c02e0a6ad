#pragma once

#include "core/Colour.h"

#include <QColor>
#include <QFont>
#include <QPalette>

// Fonts and colours of the window. The design names Windows fonts and system colours; where
// this platform lacks them, the nearest free faces (installed from Debian's font packages) and
// fixed stand-ins take their place with the same sizes, weights and roles.
namespace Look
{

QColor colour(Colour packed);

// The default font of every control: "MS Sans Serif" 8.25 points, regular.
QFont defaultFont();
// The title banner: "Arial Black" 18 points, weight 900.
QFont bannerFont();
// The maker credit: the default face, bold.
QFont creditFont();

// System colour 0: scroll bar (the leader lines).
QColor scrollBar();
// System colour 10: active window border (the panel's border).
QColor activeBorder();
// System colour 14: highlighted text (the captions on the panel).
QColor highlightedText(const QPalette& palette);

} // namespace Look
