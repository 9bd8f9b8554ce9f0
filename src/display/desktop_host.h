#pragma once

#include <windows.h>

// The window under which displays that sit on the desktop live: "Program Manager" when it holds
// the desktop's icon view, else the first "WorkerW" window with a "SHELLDLL_DefView" child.
// Null when no desktop shell runs.
HWND FindDesktopHost();

// Topmost mode and forced flag of a stacking mode (m_new_on_top_state): 0 always on top,
// 1 always on top and forced, 2 only on the desktop, 3 only on the desktop and forced. Another
// value keeps the topmost mode and clears forced.
struct StackingMode {
    int topmostMode;
    bool forced;
};
StackingMode StackingModeFor(int stackingMode, int currentTopmostMode);
