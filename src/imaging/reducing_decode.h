#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "imaging/picture_canvas.h"

// Decodes a picture onto a canvas (texture square, thumbnail cell) through the system's imaging
// component (WIC), turned upright by `orientation`.
//
// Where the codec decodes smaller by itself (JPEG on Windows: an eighth, a quarter or half of
// each side, straight from the compressed data) the picture is decoded at the smallest of those
// sizes that still has at least as many pixels as the canvas shows, and reduced from there.
// Otherwise (every codec under Wine, which has no such decode) it is read one row at a time into
// the reduction, in the codec's own pixel format where the reduction reads it: the codec's copy
// of the picture is the only full-size copy there is (under Wine the codec decodes the whole
// picture first; on Windows it decodes as the rows are asked for). A picture that carries a colour
// profile is converted to sRGB on the way, as GDI+ does when it decodes with colour management.
//
// Used for JPEG pictures, and for pictures larger than GDI+ decodes whole (see
// decoding_budget.h). Any thread may call these; each joins COM for the call when its thread has
// not.

// The canvas's pixels (top-down 0xAARRGGBB, not premultiplied, as SquareReduction gives them),
// or empty when the picture does not decode, decodes larger than the decoding budget, or WIC is
// missing.
std::vector<uint32_t> DecodeOntoCanvasFromFile(const wchar_t* path, const PictureCanvas& canvas, int orientation);
std::vector<uint32_t> DecodeOntoCanvasFromMemory(const uint8_t* bytes, size_t count, const PictureCanvas& canvas,
                                                 int orientation);
