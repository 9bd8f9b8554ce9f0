#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

// The pixel size that the header of a JPEG, PNG, GIF or BMP file states, found from the file's
// content (never its name) by reading only the few bytes that hold it. The folder scan uses it
// to know that a file is a picture larger than 32 x 32 pixels without decoding it.

// Reads up to `count` bytes at `offset` of the file into `buffer`; returns how many bytes it
// read (fewer at the end of the file, 0 past it or on a read error).
using HeaderByteReader = std::function<size_t(uint64_t offset, uint8_t* buffer, size_t count)>;

enum class HeaderFormat { kJpeg, kPng, kGif, kBmp };

struct HeaderDimensions {
    HeaderFormat format;
    uint32_t width;
    uint32_t height;
};

// JPEG segments a walk passes before it gives up: real files have a few dozen.
inline constexpr int kMaxJpegSegments = 4096;

// The format and size a header states; empty when the content starts with none of the four
// signatures, or the header is cut short, inconsistent or of a kind not read here (a BMP
// header of an unknown size, a JPEG whose frame header is not found). An empty answer says
// nothing about the file: the caller decodes it to find out.
std::optional<HeaderDimensions> ReadHeaderDimensions(const HeaderByteReader& read);

// The same over bytes in memory.
std::optional<HeaderDimensions> ReadHeaderDimensions(const uint8_t* bytes, size_t count);
