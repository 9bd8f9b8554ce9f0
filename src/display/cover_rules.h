#pragma once

#include <vector>

#include "display/screen_placement.h"

// When a display is out of sight behind another program and draws nothing: a program in full
// screen in front on the display's monitor (a game, a film, a presentation), or, for a display
// that sits on the desktop, a maximised or full-screen window over its whole rectangle. Plain
// rectangles in screen pixels; the display reads the windows and asks these rules.

// Whether `outer` covers every pixel of `inner`.
bool CoversWhole(const ScreenBox& outer, const ScreenBox& inner);

// A top-level window of another program as the check sees it. Displays, the desktop itself and
// hidden or minimised windows are left out by the caller.
struct WindowInSight {
    ScreenBox rect;
    bool maximized = false;
};

struct CoverReadings {
    ScreenBox display;
    ScreenBox monitor;  // the monitor the display is on
    bool onTheDesktop = false;  // "Only on the desktop"
    // The foreground window, unless it is a display, the desktop or none at all.
    bool hasForeground = false;
    WindowInSight foreground;
    // For a display on the desktop: the windows above it.
    std::vector<WindowInSight> windowsAbove;
};

// True when the display is out of sight: a foreground window covers the display's whole monitor,
// or (on the desktop only) a maximised window or one covering its monitor covers the display's
// whole rectangle.
bool IsDisplayOutOfSight(const CoverReadings& readings);
