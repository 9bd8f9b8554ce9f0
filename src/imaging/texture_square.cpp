#include "imaging/texture_square.h"

TexturePlacement PlaceOnTextureSquare(int width, int height, int aspectMode) {
    if (width <= 0 || height <= 0) return {};
    // Single-precision scales and truncation toward zero, so that every load of the same
    // picture lands on exactly the same pixels.
    const float scaleX = static_cast<float>(kTextureSide) / static_cast<float>(width);
    const float scaleY = static_cast<float>(kTextureSide) / static_cast<float>(height);
    const bool useScaleY = aspectMode == kAspectKeep ? scaleX > scaleY : !(scaleX > scaleY);

    TexturePlacement placement;
    float scale = 0.0f;
    if (useScaleY) {
        scale = scaleY;
        placement.x = static_cast<int>((static_cast<float>(kTextureSide) - static_cast<float>(width) * scale) * 0.5f);
    } else {
        scale = scaleX;
        placement.y = static_cast<int>((static_cast<float>(kTextureSide) - static_cast<float>(height) * scale) * 0.5f);
    }
    placement.width = static_cast<int>(static_cast<float>(width) * scale);
    placement.height = static_cast<int>(static_cast<float>(height) * scale);
    return placement;
}
