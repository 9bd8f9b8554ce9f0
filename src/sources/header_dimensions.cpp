#include "sources/header_dimensions.h"

#include <algorithm>
#include <cstring>

namespace {

uint32_t BigEndian16(const uint8_t* p) { return (uint32_t{p[0]} << 8) | p[1]; }
uint32_t BigEndian32(const uint8_t* p) { return (BigEndian16(p) << 16) | BigEndian16(p + 2); }
uint32_t LittleEndian16(const uint8_t* p) { return (uint32_t{p[1]} << 8) | p[0]; }
uint32_t LittleEndian32(const uint8_t* p) { return (LittleEndian16(p + 2) << 16) | LittleEndian16(p); }

// Reads exactly `count` bytes or reports failure.
bool ReadExactly(const HeaderByteReader& read, uint64_t offset, uint8_t* buffer, size_t count) {
    return read(offset, buffer, count) == count;
}

std::optional<HeaderDimensions> Found(HeaderFormat format, uint32_t width, uint32_t height) {
    if (width == 0 || height == 0) return std::nullopt;
    return HeaderDimensions{format, width, height};
}

// Signature, then the first chunk, which must be IHDR of 13 bytes: width and height, each
// at most 2^31 - 1.
std::optional<HeaderDimensions> ReadPng(const HeaderByteReader& read) {
    uint8_t chunk[16];
    if (!ReadExactly(read, 8, chunk, sizeof chunk)) return std::nullopt;
    if (BigEndian32(chunk) != 13 || std::memcmp(chunk + 4, "IHDR", 4) != 0) return std::nullopt;
    const uint32_t width = BigEndian32(chunk + 8);
    const uint32_t height = BigEndian32(chunk + 12);
    if (width > 0x7FFFFFFFu || height > 0x7FFFFFFFu) return std::nullopt;
    return Found(HeaderFormat::kPng, width, height);
}

// The logical screen size that follows the six signature bytes.
std::optional<HeaderDimensions> ReadGif(const HeaderByteReader& read) {
    uint8_t screen[4];
    if (!ReadExactly(read, 6, screen, sizeof screen)) return std::nullopt;
    return Found(HeaderFormat::kGif, LittleEndian16(screen), LittleEndian16(screen + 2));
}

bool IsBmpBitCount(uint32_t bitCount, bool infoHeader) {
    switch (bitCount) {
        case 1:
        case 4:
        case 8:
        case 24:
            return true;
        case 0:
        case 16:
        case 32:
            return infoHeader;
        default:
            return false;
    }
}

// The file header (14 bytes), then BITMAPCOREHEADER (12 bytes, unsigned 16-bit sizes) or one
// of the BITMAPINFOHEADER family (40, 52, 56, 108 or 124 bytes, signed 32-bit sizes; a
// negative height marks a top-down bitmap). Planes must be 1 and the bit count one Windows
// knows, so that other content that happens to start with "BM" is left to the decoder.
std::optional<HeaderDimensions> ReadBmp(const HeaderByteReader& read) {
    uint8_t core[12];
    if (!ReadExactly(read, 14, core, sizeof core)) return std::nullopt;
    const uint32_t headerSize = LittleEndian32(core);
    if (headerSize == 12) {
        if (LittleEndian16(core + 8) != 1 || !IsBmpBitCount(LittleEndian16(core + 10), false)) return std::nullopt;
        return Found(HeaderFormat::kBmp, LittleEndian16(core + 4), LittleEndian16(core + 6));
    }
    if (headerSize != 40 && headerSize != 52 && headerSize != 56 && headerSize != 108 && headerSize != 124) {
        return std::nullopt;
    }
    uint8_t info[16];  // size, width, height, planes, bit count
    if (!ReadExactly(read, 14, info, sizeof info)) return std::nullopt;
    if (LittleEndian16(info + 12) != 1 || !IsBmpBitCount(LittleEndian16(info + 14), true)) return std::nullopt;
    const int32_t width = static_cast<int32_t>(LittleEndian32(info + 4));
    const int32_t height = static_cast<int32_t>(LittleEndian32(info + 8));
    if (width <= 0 || height == INT32_MIN) return std::nullopt;
    const uint32_t rows = static_cast<uint32_t>(height < 0 ? -height : height);
    return Found(HeaderFormat::kBmp, static_cast<uint32_t>(width), rows);
}

bool IsFrameMarker(uint8_t marker) {
    // SOF0 .. SOF15 except DHT (C4), JPG (C8) and DAC (CC).
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// Walks the segments from the start-of-image marker to the first frame header, seeking over
// each segment by its length, and reads the frame's height and width there. A scan or the end
// of the image before any frame header, a broken marker, a frame whose height is left to a
// later DNL segment (0), or too many segments end the walk without an answer.
std::optional<HeaderDimensions> ReadJpeg(const HeaderByteReader& read) {
    uint64_t position = 2;
    for (int step = 0; step < kMaxJpegSegments; ++step) {
        uint8_t segment[4];
        if (!ReadExactly(read, position, segment, sizeof segment)) return std::nullopt;
        if (segment[0] != 0xFF) return std::nullopt;
        const uint8_t marker = segment[1];
        if (marker == 0xFF) {  // a fill byte before the marker
            position += 1;
            continue;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {  // markers without a length
            position += 2;
            continue;
        }
        if (marker == 0x00 || marker == 0xD8 || marker == 0xD9 || marker == 0xDA) return std::nullopt;
        const uint32_t length = BigEndian16(segment + 2);
        if (length < 2) return std::nullopt;
        if (IsFrameMarker(marker)) {
            uint8_t frame[5];  // precision, height, width
            if (length < 2 + sizeof frame || !ReadExactly(read, position + 4, frame, sizeof frame)) {
                return std::nullopt;
            }
            return Found(HeaderFormat::kJpeg, BigEndian16(frame + 3), BigEndian16(frame + 1));
        }
        position += 2 + uint64_t{length};
    }
    return std::nullopt;
}

}  // namespace

std::optional<HeaderDimensions> ReadHeaderDimensions(const HeaderByteReader& read) {
    if (!read) return std::nullopt;
    uint8_t signature[8];
    const size_t count = read(0, signature, sizeof signature);
    if (count >= 8 && std::memcmp(signature, "\x89PNG\r\n\x1a\n", 8) == 0) return ReadPng(read);
    if (count >= 6 && (std::memcmp(signature, "GIF87a", 6) == 0 || std::memcmp(signature, "GIF89a", 6) == 0)) {
        return ReadGif(read);
    }
    if (count >= 2 && signature[0] == 'B' && signature[1] == 'M') return ReadBmp(read);
    if (count >= 3 && signature[0] == 0xFF && signature[1] == 0xD8 && signature[2] == 0xFF) return ReadJpeg(read);
    return std::nullopt;
}

std::optional<HeaderDimensions> ReadHeaderDimensions(const uint8_t* bytes, size_t count) {
    if (bytes == nullptr) count = 0;
    return ReadHeaderDimensions([bytes, count](uint64_t offset, uint8_t* buffer, size_t wanted) -> size_t {
        if (offset >= count) return 0;
        const size_t available = std::min<uint64_t>(wanted, count - offset);
        std::memcpy(buffer, bytes + offset, available);
        return available;
    });
}
