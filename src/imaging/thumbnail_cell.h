#pragma once

// Where a picture lands in a square thumbnail cell: scaled to fit, centred across the direction
// that has room left, on white.

// Opaque white, as a GDI+ ARGB value: the ground of every cell.
inline constexpr unsigned kThumbnailBackground = 0xFFFFFFFFu;

struct ThumbnailPlacement {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The placement of a width x height picture in a cell x cell square; a picture with a zero side
// or a cell of no size gives an empty placement. (A 1000 x 500 picture in a 128 cell: 128 x 64 at
// y 32.)
ThumbnailPlacement PlaceInThumbnailCell(int cell, int width, int height);
