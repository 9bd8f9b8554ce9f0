#include "app/tray_target.h"

#include <algorithm>

namespace {

// The strip of a taskbar where the notification area usually sits.
constexpr int kStripFar = 100;
constexpr int kStripNear = 16;
// The size of the corner taken when only the taskbar window or the work area is known.
constexpr int kCornerWidth = 150;
constexpr int kCornerHeight = 30;

}  // namespace

TrayRect TrayTargetRect(const TrayTargetInputs& inputs) {
    if (inputs.notifyArea) return *inputs.notifyArea;
    if (inputs.taskbar) {
        const TrayRect& bar = inputs.taskbar->rect;
        switch (inputs.taskbar->edge) {
            case TaskbarEdge::kLeft:
            case TaskbarEdge::kRight:
                return {bar.left, bar.bottom - kStripFar, bar.right, bar.bottom - kStripNear};
            case TaskbarEdge::kTop:
            case TaskbarEdge::kBottom:
                return {bar.right - kStripFar, bar.top, bar.right - kStripNear, bar.bottom};
        }
    }
    if (inputs.taskbarWindow) {
        const TrayRect& window = *inputs.taskbarWindow;
        return {std::max(window.left, window.right - kCornerWidth), std::max(window.top, window.bottom - kCornerHeight),
                window.right, window.bottom};
    }
    const TrayRect& area = inputs.workArea;
    return {area.right - kCornerWidth, area.bottom - kCornerHeight, area.right, area.bottom};
}
