#include "launcher/WindowStyle.h"

void WindowStyle::applyNormalFocused(QProcess&) {}
