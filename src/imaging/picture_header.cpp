#include "imaging/picture_header.h"

#include <cstring>

namespace {

uint32_t BigEndian16(const uint8_t* p) { return (uint32_t{p[0]} << 8) | p[1]; }
uint32_t BigEndian32(const uint8_t* p) { return (BigEndian16(p) << 16) | BigEndian16(p + 2); }
uint32_t LittleEndian16(const uint8_t* p) { return (uint32_t{p[1]} << 8) | p[0]; }
uint32_t LittleEndian32(const uint8_t* p) { return (LittleEndian16(p + 2) << 16) | LittleEndian16(p); }

bool StartsWith(const uint8_t* bytes, size_t count, const char* magic, size_t length) {
    return count >= length && std::memcmp(bytes, magic, length) == 0;
}

std::optional<PictureSize> ReadPng(const uint8_t* bytes, size_t count) {
    // Signature, then the IHDR chunk: length, type, width, height.
    if (count < 24 || std::memcmp(bytes + 12, "IHDR", 4) != 0) return std::nullopt;
    return PictureSize{BigEndian32(bytes + 16), BigEndian32(bytes + 20)};
}

std::optional<PictureSize> ReadGif(const uint8_t* bytes, size_t count) {
    if (count < 10) return std::nullopt;
    return PictureSize{LittleEndian16(bytes + 6), LittleEndian16(bytes + 8)};
}

std::optional<PictureSize> ReadBmp(const uint8_t* bytes, size_t count) {
    if (count < 26) return std::nullopt;
    const uint32_t headerSize = LittleEndian32(bytes + 14);
    if (headerSize == 12) return PictureSize{LittleEndian16(bytes + 18), LittleEndian16(bytes + 20)};
    const int32_t width = static_cast<int32_t>(LittleEndian32(bytes + 18));
    const int32_t height = static_cast<int32_t>(LittleEndian32(bytes + 22));
    // A negative height marks a top-down bitmap; a negative width is no picture at all.
    const uint32_t absoluteHeight =
        height < 0 ? static_cast<uint32_t>(-static_cast<int64_t>(height)) : static_cast<uint32_t>(height);
    return PictureSize{width < 0 ? 0u : static_cast<uint32_t>(width), absoluteHeight};
}

std::optional<PictureSize> ReadJpeg(const uint8_t* bytes, size_t count) {
    size_t pos = 2;
    while (pos + 4 <= count) {
        if (bytes[pos] != 0xFF) return std::nullopt;
        const uint8_t marker = bytes[pos + 1];
        if (marker == 0xFF) {  // fill byte
            ++pos;
            continue;
        }
        if (marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) {  // no length
            pos += 2;
            continue;
        }
        const size_t length = BigEndian16(bytes + pos + 2);
        const bool isFrameHeader =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (isFrameHeader) {
            if (pos + 9 > count) return std::nullopt;
            return PictureSize{BigEndian16(bytes + pos + 7), BigEndian16(bytes + pos + 5)};
        }
        if (marker == 0xD9 || marker == 0xDA || length < 2) return std::nullopt;  // end or scan before a frame
        pos += 2 + length;
    }
    return std::nullopt;
}

std::optional<PictureSize> ReadTiff(const uint8_t* bytes, size_t count) {
    const bool little = bytes[0] == 'I';
    auto read16 = [&](size_t at) { return little ? LittleEndian16(bytes + at) : BigEndian16(bytes + at); };
    auto read32 = [&](size_t at) { return little ? LittleEndian32(bytes + at) : BigEndian32(bytes + at); };
    if (count < 8) return std::nullopt;
    const size_t directory = read32(4);
    if (directory + 2 > count || directory + 2 < directory) return std::nullopt;
    const size_t entries = read16(directory);
    std::optional<uint32_t> width, height;
    for (size_t i = 0; i < entries; ++i) {
        const size_t entry = directory + 2 + i * 12;
        if (entry + 12 > count) break;
        const uint32_t tag = read16(entry);
        const uint32_t type = read16(entry + 2);
        const uint32_t value = type == 3 ? read16(entry + 8) : read32(entry + 8);  // SHORT or LONG
        if (tag == 256) width = value;
        if (tag == 257) height = value;
    }
    if (!width || !height) return std::nullopt;
    return PictureSize{*width, *height};
}

}  // namespace

std::optional<PictureSize> ReadPictureHeaderSize(const uint8_t* bytes, size_t count) {
    if (bytes == nullptr) return std::nullopt;
    if (StartsWith(bytes, count, "\x89PNG\r\n\x1a\n", 8)) return ReadPng(bytes, count);
    if (StartsWith(bytes, count, "GIF87a", 6) || StartsWith(bytes, count, "GIF89a", 6)) return ReadGif(bytes, count);
    if (StartsWith(bytes, count, "BM", 2)) return ReadBmp(bytes, count);
    if (StartsWith(bytes, count, "\xFF\xD8", 2)) return ReadJpeg(bytes, count);
    if (StartsWith(bytes, count, "II*\0", 4) || StartsWith(bytes, count, "MM\0*", 4)) return ReadTiff(bytes, count);
    return std::nullopt;
}

bool IsPictureHeaderAcceptable(const uint8_t* bytes, size_t count) {
    const std::optional<PictureSize> size = ReadPictureHeaderSize(bytes, count);
    if (!size) return true;
    if (size->width == 0 || size->height == 0) return false;
    if (size->width > kMaxPictureSide || size->height > kMaxPictureSide) return false;
    return uint64_t{size->width} * size->height <= kMaxPicturePixels;
}
