#pragma once

#include <cstdint>

#include "imaging/texture_square.h"

// The way a picture's stored pixels are turned to show it upright: the EXIF orientation (tag
// 0x0112) that phones and cameras write instead of turning the pixels themselves. A portrait
// photo is usually stored as landscape pixels with value 6 or 8.
//
//   1 as stored                      5 mirrored along the top-left to bottom-right diagonal
//   2 mirrored left to right         6 turned a quarter clockwise
//   3 turned half a turn             7 mirrored along the other diagonal
//   4 mirrored top to bottom         8 turned a quarter anticlockwise
//
// Values 5 to 8 swap the sides: the picture shows as wide as it is stored high.

inline constexpr int kOrientationAsStored = 1;

// The orientation a tag value asks for; a value outside 1 to 8 shows the picture as stored.
int OrientationFromTag(uint32_t tagValue);

bool OrientationSwapsSides(int orientation);

// The size the picture shows at when turned upright.
struct PictureSize {
    uint32_t width = 0;
    uint32_t height = 0;
};
PictureSize OrientedSize(uint32_t storedWidth, uint32_t storedHeight, int orientation);

// Where stored pixel (x, y) of a stored width x height picture shows once the picture is
// upright. Used for any grid whose cells are turned with the picture, for instance a square
// canvas of side x side (then width = height = side).
struct GridPoint {
    int64_t x = 0;
    int64_t y = 0;
};
GridPoint ShownPoint(int64_t x, int64_t y, int64_t width, int64_t height, int orientation);

// The rectangle of a side x side canvas that, turned by the orientation, becomes `shown`: a
// picture drawn there as stored and then turned with the canvas lands exactly on `shown`.
TexturePlacement StoredPlacement(const TexturePlacement& shown, int orientation, int side);
