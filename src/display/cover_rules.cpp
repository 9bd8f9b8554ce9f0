#include "display/cover_rules.h"

namespace {

int Right(const ScreenBox& box) { return box.left + box.width; }
int Bottom(const ScreenBox& box) { return box.top + box.height; }

}  // namespace

bool CoversWhole(const ScreenBox& outer, const ScreenBox& inner) {
    if (outer.width <= 0 || outer.height <= 0) return false;
    return outer.left <= inner.left && outer.top <= inner.top && Right(outer) >= Right(inner) &&
           Bottom(outer) >= Bottom(inner);
}

bool IsDisplayOutOfSight(const CoverReadings& readings) {
    if (readings.hasForeground && CoversWhole(readings.foreground.rect, readings.monitor)) return true;
    if (!readings.onTheDesktop) return false;
    for (const WindowInSight& window : readings.windowsAbove) {
        const bool large = window.maximized || CoversWhole(window.rect, readings.monitor);
        if (large && CoversWhole(window.rect, readings.display)) return true;
    }
    return false;
}
