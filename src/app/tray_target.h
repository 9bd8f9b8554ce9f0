#pragma once

#include <optional>

// Where a window shrinks to when it goes into the notification area: the choice among what the
// shell offers, in screen pixels. The caller asks the shell and the system for the inputs.

// A rectangle by its edges (right and bottom exclusive), as Windows gives window rectangles.
struct TrayRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

inline bool operator==(const TrayRect& a, const TrayRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// The screen edge the taskbar stands at.
enum class TaskbarEdge { kLeft, kTop, kRight, kBottom };

struct TaskbarPosition {
    TaskbarEdge edge = TaskbarEdge::kBottom;
    TrayRect rect;
};

// What the shell and the system offer; each optional is empty when it cannot be had.
struct TrayTargetInputs {
    std::optional<TrayRect> notifyArea;      // window "TrayNotifyWnd" inside the taskbar window
    std::optional<TaskbarPosition> taskbar;  // the shell's taskbar position
    std::optional<TrayRect> taskbarWindow;   // window "Shell_TrayWnd"
    TrayRect workArea;                       // the primary monitor's work area
};

// The target rectangle, by the first rule that applies:
// 1. the notification area's rectangle;
// 2. the taskbar position: at the left or right edge a strip across the taskbar from 100 to 16
//    pixels above its bottom; at the top or bottom edge a strip over its full height from 100 to
//    16 pixels left of its right edge;
// 3. the taskbar window's rectangle cut to at most 150 pixels wide (keeping the right edge) and
//    30 pixels high (keeping the bottom edge);
// 4. the bottom-right 150 x 30 pixels of the work area.
TrayRect TrayTargetRect(const TrayTargetInputs& inputs);
