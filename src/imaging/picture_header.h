#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

// Reading the pixel size that a picture file's header claims, without decoding the picture.
// The decoder allocates the whole picture from these numbers, so the program checks them first:
// a header that claims an enormous picture must not exhaust memory.

struct PictureSize {
    uint32_t width = 0;
    uint32_t height = 0;
};

// Largest picture the program decodes: each side at most 32768 pixels and at most 64 megapixels
// (256 MB at 4 bytes per pixel).
inline constexpr uint32_t kMaxPictureSide = 32768;
inline constexpr uint64_t kMaxPicturePixels = 64ull * 1024 * 1024;

// Largest picture file the program reads into memory.
inline constexpr uint64_t kMaxPictureFileBytes = 256ull * 1024 * 1024;

// The size in the header of a PNG, JPEG, GIF, BMP or TIFF file; empty when the bytes are none
// of these or the header is cut short before the size.
std::optional<PictureSize> ReadPictureHeaderSize(const uint8_t* bytes, size_t count);

// False when the header claims a picture larger than the program decodes (or a zero side);
// true when the size is within bounds or the header is not one the program reads.
bool IsPictureHeaderAcceptable(const uint8_t* bytes, size_t count);
