#pragma once

#include <cstdint>

#include "imaging/picture_header.h"

// How large a picture the program decodes. A decoder allocates the whole picture from the size
// its header claims, so every decode checks the header first: a header that claims an enormous
// picture must not exhaust memory.

// Largest picture the program decodes: each side at most 32768 pixels and at most 64 megapixels
// (256 MB at 4 bytes per pixel).
inline constexpr uint32_t kMaxDecodedSide = 32768;
inline constexpr uint64_t kMaxDecodedPixels = 64ull * 1024 * 1024;

// Largest picture file the program reads into memory whole.
inline constexpr uint64_t kMaxPictureFileBytes = 256ull * 1024 * 1024;

// Both sides non-zero, neither over kMaxDecodedSide, and at most kMaxDecodedPixels.
bool FitsDecodingBudget(uint32_t width, uint32_t height);

// Whether the decoder may be given a picture whose header says this: a size within the budget,
// or a header that leaves the size to the decoder; never a header that is no picture.
bool MayDecode(const PictureHeader& header);
