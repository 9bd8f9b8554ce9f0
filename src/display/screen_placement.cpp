#include "display/screen_placement.h"

#include <algorithm>

int AllowedOverhang(int size, int quarter) { return static_cast<int>(size * (quarter != 0 ? 0.25 : 0.5)); }

int QuarterHeight(int width) { return static_cast<int>(width * 0.25); }

int DisplayWindowHeight(int objectType, int width) { return objectType == 1 ? width : QuarterHeight(width); }

PlacementMove KeepOnScreenPosition(const ScreenBox& window, const ScreenBox& virtualScreen, int quarter) {
    const int right = window.left + window.width;
    const int bottom = window.top + window.height;
    const int overhangX = AllowedOverhang(window.width, quarter);
    const int overhangY = AllowedOverhang(window.height, quarter);

    const int allowedLeft = virtualScreen.left - overhangX;
    const int allowedTop = virtualScreen.top - overhangY;
    const int allowedRight = virtualScreen.left + virtualScreen.width + overhangX;
    const int allowedBottom = virtualScreen.top + virtualScreen.height + overhangY;

    int newLeft = window.left;
    if (allowedRight < right) {
        newLeft = window.left + (allowedRight - right);
    } else if (window.left < allowedLeft) {
        newLeft = allowedLeft;
    }

    if (allowedBottom < bottom) {
        return {true, newLeft, window.top + (allowedBottom - bottom)};
    }
    if (window.left < allowedLeft || right > allowedRight || window.top < allowedTop) {
        return {true, newLeft, std::max(window.top, allowedTop)};
    }
    return {false, window.left, window.top};
}

void DragTracker::BeginDrag(int cursorX, int cursorY) {
    m_lastCursorX = cursorX;
    m_lastCursorY = cursorY;
    m_dragging = true;
}

PlacementMove DragTracker::DragStep(int windowLeft, int windowTop, int cursorX, int cursorY) {
    if (!m_dragging) return {false, windowLeft, windowTop};
    const PlacementMove step{true, windowLeft + (cursorX - m_lastCursorX), windowTop + (cursorY - m_lastCursorY)};
    m_lastCursorX = cursorX;
    m_lastCursorY = cursorY;
    return step;
}
