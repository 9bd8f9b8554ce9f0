#include "imaging/texture_reduction.h"

#include "imaging/picture_canvas.h"

TextureReduction::TextureReduction(uint32_t pictureWidth, uint32_t pictureHeight, int aspectMode, int orientation)
    : SquareReduction(ReductionOnto(TextureCanvas(aspectMode), pictureWidth, pictureHeight, orientation)) {}
