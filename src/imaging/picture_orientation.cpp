#include "imaging/picture_orientation.h"

int OrientationFromTag(uint32_t tagValue) {
    return tagValue >= 1 && tagValue <= 8 ? static_cast<int>(tagValue) : kOrientationAsStored;
}

bool OrientationSwapsSides(int orientation) { return orientation >= 5 && orientation <= 8; }

PictureSize OrientedSize(uint32_t storedWidth, uint32_t storedHeight, int orientation) {
    if (OrientationSwapsSides(orientation)) return {storedHeight, storedWidth};
    return {storedWidth, storedHeight};
}

GridPoint ShownPoint(int64_t x, int64_t y, int64_t width, int64_t height, int orientation) {
    switch (orientation) {
        case 2:
            return {width - 1 - x, y};
        case 3:
            return {width - 1 - x, height - 1 - y};
        case 4:
            return {x, height - 1 - y};
        case 5:
            return {y, x};
        case 6:
            return {height - 1 - y, x};
        case 7:
            return {height - 1 - y, width - 1 - x};
        case 8:
            return {y, width - 1 - x};
        default:
            return {x, y};
    }
}

TexturePlacement StoredPlacement(const TexturePlacement& shown, int orientation, int side) {
    // The stored rectangle's corners are the shown rectangle's corners turned back; with the
    // far corner exclusive, a mirrored edge e becomes side - e.
    const int right = side - (shown.x + shown.width);
    const int bottom = side - (shown.y + shown.height);
    switch (orientation) {
        case 2:
            return {right, shown.y, shown.width, shown.height};
        case 3:
            return {right, bottom, shown.width, shown.height};
        case 4:
            return {shown.x, bottom, shown.width, shown.height};
        case 5:
            return {shown.y, shown.x, shown.height, shown.width};
        case 6:
            return {shown.y, right, shown.height, shown.width};
        case 7:
            return {bottom, right, shown.height, shown.width};
        case 8:
            return {bottom, shown.x, shown.height, shown.width};
        default:
            return shown;
    }
}
