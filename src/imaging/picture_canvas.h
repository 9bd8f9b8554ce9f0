#pragma once

#include <cstdint>

#include "imaging/picture_orientation.h"
#include "imaging/square_reduction.h"
#include "imaging/texture_square.h"

// What a picture is put onto: a square canvas, its background, and the rule that places a
// picture of a given upright size on it. Two kinds: the texture square of the 3D object, and the
// cell of a thumbnail in the picture selection list.
struct PictureCanvas {
    enum class Fit {
        kTextureSquare,  // by the aspect mode (PlaceOnTextureSquare)
        kThumbnailCell,  // fitted and centred (PlaceInThumbnailCell)
    };
    Fit fit = Fit::kTextureSquare;
    int side = 0;
    uint32_t background = 0;  // straight 0xAARRGGBB
    int aspectMode = 0;       // for the texture square
};

PictureCanvas TextureCanvas(int aspectMode);
PictureCanvas ThumbnailCanvas(int cell);

// Where a picture of this upright size lies on the canvas (empty for a picture without size).
TexturePlacement PlaceOnCanvas(const PictureCanvas& canvas, uint32_t uprightWidth, uint32_t uprightHeight);

// The reduction of a stored width x height picture with this orientation onto the canvas.
SquareReduction ReductionOnto(const PictureCanvas& canvas, uint32_t storedWidth, uint32_t storedHeight,
                              int orientation);

// How many canvas pixels the stored picture's width and height span (what overhangs the canvas
// counted too): a decode needs at least that many for the canvas to show no enlargement.
PictureSize CanvasPixelsOfPicture(const PictureCanvas& canvas, uint32_t storedWidth, uint32_t storedHeight,
                                  int orientation);

// How far a codec that decodes smaller by itself (JPEG on Windows) may be asked to go for this
// canvas: the largest of 8, 4 and 2 that divides each side of the stored width x height picture
// (rounding up) into no fewer pixels than the canvas shows of it across and down; 1 when none
// does, so that the canvas never shows a picture enlarged from a smaller decode.
uint32_t CodecReductionFactor(const PictureCanvas& canvas, uint32_t storedWidth, uint32_t storedHeight,
                              int orientation);

// The reduction of a picture decoded at decodedWidth x decodedHeight from a stored
// storedWidth x storedHeight one onto the canvas: it lands exactly where the whole picture would.
SquareReduction ScaledReductionOnto(const PictureCanvas& canvas, uint32_t decodedWidth, uint32_t decodedHeight,
                                    uint32_t storedWidth, uint32_t storedHeight, int orientation);
