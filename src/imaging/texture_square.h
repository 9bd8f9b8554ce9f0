#pragma once

// Where a picture lands on the square texture of the 3D object.

inline constexpr int kTextureSide = 1024;
// Translucent grey (alpha 0x42, red = green = blue = 0x9B) that shows where no picture covers
// the square, as a GDI+ ARGB value.
inline constexpr unsigned kTextureBackground = 0x429B9B9Bu;

// How a picture is fitted onto the square (the setting m_img_mode).
enum TextureAspectMode {
    kAspectKeep = 0,            // fit inside; the rest of the square stays grey
    kAspectKeepAndStretch = 1,  // fill the square; what lies outside is cut off
};

// Destination rectangle of the picture on the square; x or y is negative when the picture
// overhangs the square.
struct TexturePlacement {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The placement of a width x height picture. Any mode other than 0 fills. A picture with a zero
// side gives an empty placement.
TexturePlacement PlaceOnTextureSquare(int width, int height, int aspectMode);
