#pragma once

#include <windows.h>

#include <functional>

// Whether the display window is out of sight right now (see cover_rules.h): reads the foreground
// window, the display's monitor and, for a display on the desktop, the windows above it.
// `isDisplayWindow` tells the program's display windows, which never hide one another. Main
// thread; a few window queries, cheap enough to run several times a second.
bool IsDisplayWindowOutOfSight(HWND displayWindow, bool onTheDesktop, const std::function<bool(HWND)>& isDisplayWindow);
