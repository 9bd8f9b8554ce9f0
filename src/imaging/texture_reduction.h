#pragma once

#include "imaging/square_reduction.h"
#include "imaging/texture_square.h"

// A picture onto the texture square: placed by the aspect mode (PlaceOnTextureSquare) of its
// upright size, over the translucent grey kTextureBackground.
class TextureReduction : public SquareReduction {
public:
    TextureReduction(uint32_t pictureWidth, uint32_t pictureHeight, int aspectMode, int orientation = 1);
};
