#include "imaging/picture_canvas.h"

#include <limits>

#include "imaging/picture_orientation.h"
#include "imaging/thumbnail_cell.h"

PictureCanvas TextureCanvas(int aspectMode) {
    return {PictureCanvas::Fit::kTextureSquare, kTextureSide, kTextureBackground, aspectMode};
}

PictureCanvas ThumbnailCanvas(int cell) { return {PictureCanvas::Fit::kThumbnailCell, cell, kThumbnailBackground, 0}; }

TexturePlacement PlaceOnCanvas(const PictureCanvas& canvas, uint32_t uprightWidth, uint32_t uprightHeight) {
    const uint32_t largest = static_cast<uint32_t>(std::numeric_limits<int>::max());
    if (uprightWidth > largest || uprightHeight > largest) return {};
    const int width = static_cast<int>(uprightWidth), height = static_cast<int>(uprightHeight);
    if (canvas.fit == PictureCanvas::Fit::kThumbnailCell) {
        const ThumbnailPlacement cell = PlaceInThumbnailCell(canvas.side, width, height);
        return {cell.x, cell.y, cell.width, cell.height};
    }
    return PlaceOnTextureSquare(width, height, canvas.aspectMode);
}

namespace {

TexturePlacement PlaceUpright(const PictureCanvas& canvas, uint32_t storedWidth, uint32_t storedHeight,
                              int orientation) {
    const PictureSize upright = OrientedSize(storedWidth, storedHeight, orientation);
    return PlaceOnCanvas(canvas, upright.width, upright.height);
}

}  // namespace

SquareReduction ReductionOnto(const PictureCanvas& canvas, uint32_t storedWidth, uint32_t storedHeight,
                              int orientation) {
    return ScaledReductionOnto(canvas, storedWidth, storedHeight, storedWidth, storedHeight, orientation);
}

SquareReduction ScaledReductionOnto(const PictureCanvas& canvas, uint32_t decodedWidth, uint32_t decodedHeight,
                                    uint32_t storedWidth, uint32_t storedHeight, int orientation) {
    return SquareReduction(decodedWidth, decodedHeight, orientation,
                           PlaceUpright(canvas, storedWidth, storedHeight, orientation), canvas.side,
                           canvas.background);
}

PictureSize CanvasPixelsOfPicture(const PictureCanvas& canvas, uint32_t storedWidth, uint32_t storedHeight,
                                  int orientation) {
    const TexturePlacement shown = PlaceUpright(canvas, storedWidth, storedHeight, orientation);
    if (shown.width <= 0 || shown.height <= 0) return {};
    const TexturePlacement stored = StoredPlacement(shown, orientation, canvas.side);
    return {static_cast<uint32_t>(stored.width), static_cast<uint32_t>(stored.height)};
}

uint32_t CodecReductionFactor(const PictureCanvas& canvas, uint32_t storedWidth, uint32_t storedHeight,
                              int orientation) {
    const PictureSize needed = CanvasPixelsOfPicture(canvas, storedWidth, storedHeight, orientation);
    if (needed.width == 0 || needed.height == 0) return 1;
    for (uint32_t factor : {8u, 4u, 2u}) {
        const uint64_t across = (uint64_t{storedWidth} + factor - 1) / factor;
        const uint64_t down = (uint64_t{storedHeight} + factor - 1) / factor;
        if (across >= needed.width && down >= needed.height) return factor;
    }
    return 1;
}
