#include "imaging/thumbnail_cell.h"

ThumbnailPlacement PlaceInThumbnailCell(int cell, int width, int height) {
    if (cell <= 0 || width <= 0 || height <= 0) return {};
    const double scaleX = static_cast<double>(cell) / width;
    const double scaleY = static_cast<double>(cell) / height;
    ThumbnailPlacement placement;
    if (scaleY < scaleX) {
        // The height limits: centred across.
        placement.x = static_cast<int>((cell - width * scaleY) * 0.5);
        placement.width = static_cast<int>(width * scaleY);
        placement.height = cell;  // exactly, whatever the rounding of height * scale
    } else {
        placement.y = static_cast<int>((cell - height * scaleX) * 0.5);
        placement.width = cell;
        placement.height = static_cast<int>(height * scaleX);
    }
    return placement;
}
