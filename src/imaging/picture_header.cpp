#include "imaging/picture_header.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace {

uint32_t BigEndian16(const uint8_t* p) { return (uint32_t{p[0]} << 8) | p[1]; }
uint32_t BigEndian32(const uint8_t* p) { return (BigEndian16(p) << 16) | BigEndian16(p + 2); }
uint32_t LittleEndian16(const uint8_t* p) { return (uint32_t{p[1]} << 8) | p[0]; }
uint32_t LittleEndian32(const uint8_t* p) { return (LittleEndian16(p + 2) << 16) | LittleEndian16(p); }

// Reads exactly `count` bytes or reports failure (a header cut short).
bool ReadExactly(const HeaderByteReader& read, uint64_t offset, uint8_t* buffer, size_t count) {
    return read(offset, buffer, count) == count;
}

PictureHeader Undecided(PictureFormat format) { return {HeaderVerdict::kUndecided, format, 0, 0}; }
PictureHeader NotAPicture(PictureFormat format) { return {HeaderVerdict::kNotAPicture, format, 0, 0}; }

// The one rule for the sides a header states: both non-zero is a size; a zero side leaves the
// size to the decoder.
PictureHeader Stated(PictureFormat format, uint32_t width, uint32_t height) {
    if (width == 0 || height == 0) return Undecided(format);
    return {HeaderVerdict::kSized, format, width, height};
}

// Signature, then the first chunk, which must be IHDR of 13 bytes: width and height, each at
// most 2^31 - 1.
PictureHeader ReadPng(const HeaderByteReader& read) {
    uint8_t chunk[16];
    if (!ReadExactly(read, 8, chunk, sizeof chunk)) return Undecided(PictureFormat::kPng);
    if (BigEndian32(chunk) != 13 || std::memcmp(chunk + 4, "IHDR", 4) != 0) return NotAPicture(PictureFormat::kPng);
    const uint32_t width = BigEndian32(chunk + 8);
    const uint32_t height = BigEndian32(chunk + 12);
    if (width > 0x7FFFFFFFu || height > 0x7FFFFFFFu) return NotAPicture(PictureFormat::kPng);
    return Stated(PictureFormat::kPng, width, height);
}

// The logical screen size that follows the six signature bytes.
PictureHeader ReadGif(const HeaderByteReader& read) {
    uint8_t screen[4];
    if (!ReadExactly(read, 6, screen, sizeof screen)) return Undecided(PictureFormat::kGif);
    return Stated(PictureFormat::kGif, LittleEndian16(screen), LittleEndian16(screen + 2));
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

// The file header (14 bytes), then BITMAPCOREHEADER (12 bytes, unsigned 16-bit sizes) or one of
// the BITMAPINFOHEADER family (40, 52, 56, 108 or 124 bytes, and the OS/2 header of 64 bytes that
// starts alike: signed 32-bit sizes, a negative height marks a top-down bitmap). One plane and a
// bit count Windows knows; anything else that starts with "BM" (a text about cars, say) is no
// picture.
PictureHeader ReadBmp(const HeaderByteReader& read) {
    uint8_t core[12];
    if (!ReadExactly(read, 14, core, 4)) return Undecided(PictureFormat::kBmp);
    const uint32_t headerSize = LittleEndian32(core);
    if (headerSize == 12) {
        if (!ReadExactly(read, 14, core, sizeof core)) return Undecided(PictureFormat::kBmp);
        if (LittleEndian16(core + 8) != 1 || !IsBmpBitCount(LittleEndian16(core + 10), false)) {
            return NotAPicture(PictureFormat::kBmp);
        }
        return Stated(PictureFormat::kBmp, LittleEndian16(core + 4), LittleEndian16(core + 6));
    }
    const uint32_t knownSizes[] = {40, 52, 56, 64, 108, 124};
    if (std::find(std::begin(knownSizes), std::end(knownSizes), headerSize) == std::end(knownSizes)) {
        return NotAPicture(PictureFormat::kBmp);
    }
    uint8_t info[16];  // size, width, height, planes, bit count
    if (!ReadExactly(read, 14, info, sizeof info)) return Undecided(PictureFormat::kBmp);
    if (LittleEndian16(info + 12) != 1 || !IsBmpBitCount(LittleEndian16(info + 14), true)) {
        return NotAPicture(PictureFormat::kBmp);
    }
    const int32_t width = static_cast<int32_t>(LittleEndian32(info + 4));
    const int32_t height = static_cast<int32_t>(LittleEndian32(info + 8));
    if (width < 0 || height == INT32_MIN) return NotAPicture(PictureFormat::kBmp);
    const uint32_t rows = static_cast<uint32_t>(height < 0 ? -height : height);
    return Stated(PictureFormat::kBmp, static_cast<uint32_t>(width), rows);
}

bool IsFrameMarker(uint8_t marker) {
    // SOF0 .. SOF15 except DHT (C4), JPG (C8) and DAC (CC).
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// Walks the segments from the start-of-image marker to the first frame header, seeking over
// each segment by its length, and reads the frame's height and width there. Decoders skip junk
// that this walk stops at, so whatever ends the walk early leaves the answer to the decoder.
PictureHeader ReadJpeg(const HeaderByteReader& read) {
    uint64_t position = 2;
    for (int step = 0; step < kMaxJpegSegments; ++step) {
        uint8_t segment[4];
        if (!ReadExactly(read, position, segment, sizeof segment)) break;
        if (segment[0] != 0xFF) break;
        const uint8_t marker = segment[1];
        if (marker == 0xFF) {  // a fill byte before the marker
            position += 1;
            continue;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {  // markers without a length
            position += 2;
            continue;
        }
        if (marker == 0x00 || marker == 0xD8 || marker == 0xD9 || marker == 0xDA) break;
        const uint32_t length = BigEndian16(segment + 2);
        if (length < 2) break;
        if (IsFrameMarker(marker)) {
            uint8_t frame[5];  // precision, height, width
            if (length < 2 + sizeof frame || !ReadExactly(read, position + 4, frame, sizeof frame)) break;
            return Stated(PictureFormat::kJpeg, BigEndian16(frame + 3), BigEndian16(frame + 1));
        }
        position += 2 + uint64_t{length};
    }
    return Undecided(PictureFormat::kJpeg);
}

// The byte-order mark, the offset of the first image directory, and in that directory the
// ImageWidth (256) and ImageLength (257) entries, each a single SHORT or LONG. The first
// directory is the picture a decoder shows first.
PictureHeader ReadTiff(const HeaderByteReader& read) {
    uint8_t start[8];
    if (!ReadExactly(read, 0, start, sizeof start)) return Undecided(PictureFormat::kTiff);
    const bool little = start[0] == 'I';
    auto read16 = [little](const uint8_t* p) { return little ? LittleEndian16(p) : BigEndian16(p); };
    auto read32 = [little](const uint8_t* p) { return little ? LittleEndian32(p) : BigEndian32(p); };

    const uint64_t directory = read32(start + 4);
    uint8_t countBytes[2];
    if (directory < 8 || !ReadExactly(read, directory, countBytes, sizeof countBytes)) {
        return Undecided(PictureFormat::kTiff);
    }
    const int entries = std::min<int>(read16(countBytes), kMaxTiffEntries);
    uint32_t width = 0, height = 0;
    for (int i = 0; i < entries && (width == 0 || height == 0); ++i) {
        uint8_t entry[12];  // tag, type, count, value
        if (!ReadExactly(read, directory + 2 + uint64_t(i) * 12, entry, sizeof entry)) break;
        const uint32_t tag = read16(entry);
        if (tag != 256 && tag != 257) continue;
        const uint32_t type = read16(entry + 2);
        if ((type != 3 && type != 4) || read32(entry + 4) != 1) break;
        const uint32_t value = type == 3 ? read16(entry + 8) : read32(entry + 8);
        (tag == 256 ? width : height) = value;
    }
    return Stated(PictureFormat::kTiff, width, height);
}

}  // namespace

PictureHeader ReadPictureHeader(const HeaderByteReader& read) {
    if (!read) return {};
    uint8_t signature[8];
    const size_t count = read(0, signature, sizeof signature);
    auto startsWith = [&](const char* magic, size_t length) {
        return count >= length && std::memcmp(signature, magic, length) == 0;
    };
    if (startsWith("\x89PNG\r\n\x1a\n", 8)) return ReadPng(read);
    if (startsWith("GIF87a", 6) || startsWith("GIF89a", 6)) return ReadGif(read);
    if (startsWith("BM", 2)) return ReadBmp(read);
    if (startsWith("\xFF\xD8\xFF", 3)) return ReadJpeg(read);
    if (startsWith("II*\0", 4) || startsWith("MM\0*", 4)) return ReadTiff(read);
    return {};
}

PictureHeader ReadPictureHeader(const uint8_t* bytes, size_t count) {
    if (bytes == nullptr) count = 0;
    return ReadPictureHeader([bytes, count](uint64_t offset, uint8_t* buffer, size_t wanted) -> size_t {
        if (offset >= count) return 0;
        const size_t available = static_cast<size_t>(std::min<uint64_t>(wanted, count - offset));
        std::memcpy(buffer, bytes + offset, available);
        return available;
    });
}
