#pragma once

#include <cstdint>
#include <vector>

// Pictures in formats that GDI+ does not decode and that only codecs of the system's imaging
// component (WIC) may: made by the test from bytes, or tiny files in such a format kept here.

// A DirectDraw surface (".dds") of width x height uncompressed 32-bit pixels with alpha, from
// `argbTopDown` (0xAARRGGBB, top row first). Wine's WIC decodes it; neither Wine's nor Windows'
// GDI+ does. With `statedWidth` and `statedHeight` non-zero the header states that size instead
// while the pixels stay those given (a header that misleads).
std::vector<uint8_t> DdsFile(int width, int height, const std::vector<uint32_t>& argbTopDown, uint32_t statedWidth = 0,
                             uint32_t statedHeight = 0);

// The colour of every pixel of the 48 x 40 pictures below, as encoded.
inline constexpr uint32_t kCodecPictureColour = 0xFF20A040u;
inline constexpr int kCodecPictureWidth = 48;
inline constexpr int kCodecPictureHeight = 40;

// A JPEG XR file (".jxr", 263 bytes) of 48 x 40 pixels of kCodecPictureColour, made with the
// JPEG XR reference encoder. Wine's WIC decodes it through its JPEG XR codec (when built with
// it), Windows' WIC through its own; GDI+ does not.
const std::vector<uint8_t>& JpegXrFile48x40();

// WebP (lossless), HEIC and AVIF files of 48 x 40 pixels of kCodecPictureColour, as phones and
// web pages store photos today. Windows' WIC decodes them only with the codecs that extensions
// of the system install; Wine 8 has no codec for any of them.
const std::vector<uint8_t>& WebpFile48x40();
const std::vector<uint8_t>& HeicFile48x40();
const std::vector<uint8_t>& AvifFile48x40();
