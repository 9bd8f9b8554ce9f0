#pragma once

// Where a display window may stand: the geometry of keeping it on the virtual screen and the
// arithmetic of dragging it with the mouse. Plain values in screen pixels, no window handles, so
// the display window reads the rectangles and the cursor and these functions do the arithmetic.

// A rectangle by its top-left corner and its size, in screen pixels. The virtual screen is given
// the same way (SM_XVIRTUALSCREEN, SM_YVIRTUALSCREEN, SM_CXVIRTUALSCREEN, SM_CYVIRTUALSCREEN);
// its origin is negative when monitors stand left of or above the primary one.
struct ScreenBox {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// A new top-left corner for a window; `move` says whether the window is to be moved there at all.
struct PlacementMove {
    bool move = false;
    int left = 0;
    int top = 0;
};

// How far a window may stick out of the virtual screen on each side: a quarter of its width and
// height when `quarter` is non-zero (after a move with the dialog's arrow buttons), otherwise half
// of them (when a display is created). Truncated to whole pixels.
int AllowedOverhang(int size, int quarter);

// The corrected position of `window` so that no more than the allowed overhang lies beyond any
// edge of `virtualScreen`. The right edge wins over the left one and the bottom edge over the top
// one when the window is too large for both. Returns `move` = false when the window already keeps
// within the widened screen; the position is then the window's own. The caller moves the window
// (same size) and stores the new left and top in the display.
PlacementMove KeepOnScreenPosition(const ScreenBox& window, const ScreenBox& virtualScreen, int quarter);

// The height of a display window `width` pixels wide, until a frame gives the window the frame's
// size: a quarter of the width (truncated), or the width itself for object type 1, whose window is
// made square.
int QuarterHeight(int width);
int DisplayWindowHeight(int objectType, int width);

// The drag state of one display: the window follows the cursor's travel since the last step.
// The display window calls `BeginDrag` on a button press with the cursor position, `DragStep` on
// every mouse move with the window's current top-left corner and the cursor position, and
// `EndDrag` on button release. There is no check against the screen edges while dragging.
class DragTracker {
public:
    // Records the cursor position and starts dragging. The caller captures the mouse.
    void BeginDrag(int cursorX, int cursorY);

    // While dragging: the window's new top-left corner (`move` = true), moved by the cursor's
    // travel since the previous step or the start; the cursor becomes the last position.
    // Not dragging: `move` = false and nothing changes.
    PlacementMove DragStep(int windowLeft, int windowTop, int cursorX, int cursorY);

    // Stops dragging. The caller releases the mouse capture.
    void EndDrag() { m_dragging = false; }

    bool IsDragging() const { return m_dragging; }
    int LastCursorX() const { return m_lastCursorX; }
    int LastCursorY() const { return m_lastCursorY; }

private:
    bool m_dragging = false;
    int m_lastCursorX = 0;
    int m_lastCursorY = 0;
};
