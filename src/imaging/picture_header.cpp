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

constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// The PNG signature at `start`, then the first chunk, which must be IHDR of 13 bytes: width and
// height, each at most 2^31 - 1.
PictureHeader ReadPngAt(const HeaderByteReader& read, uint64_t start, PictureFormat format) {
    uint8_t chunk[16];
    if (!ReadExactly(read, start + sizeof kPngSignature, chunk, sizeof chunk)) return Undecided(format);
    if (BigEndian32(chunk) != 13 || std::memcmp(chunk + 4, "IHDR", 4) != 0) return NotAPicture(format);
    const uint32_t width = BigEndian32(chunk + 8);
    const uint32_t height = BigEndian32(chunk + 12);
    if (width > 0x7FFFFFFFu || height > 0x7FFFFFFFu) return NotAPicture(format);
    return Stated(format, width, height);
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

// A DIB header at `start`: BITMAPCOREHEADER (12 bytes, unsigned 16-bit sizes) or one of the
// BITMAPINFOHEADER family (40, 52, 56, 108 or 124 bytes, and the OS/2 header of 64 bytes that
// starts alike: signed 32-bit sizes, a negative height marks a top-down bitmap). One plane and a
// bit count Windows knows; anything else is no picture. An icon's DIB counts the rows of its
// mask in its height too (`withMaskRows`): the picture has half of them.
PictureHeader ReadDibAt(const HeaderByteReader& read, uint64_t start, PictureFormat format, bool withMaskRows) {
    const uint32_t rowsPerPictureRow = withMaskRows ? 2 : 1;
    uint8_t core[12];
    if (!ReadExactly(read, start, core, 4)) return Undecided(format);
    const uint32_t headerSize = LittleEndian32(core);
    if (headerSize == 12) {
        if (!ReadExactly(read, start, core, sizeof core)) return Undecided(format);
        if (LittleEndian16(core + 8) != 1 || !IsBmpBitCount(LittleEndian16(core + 10), false)) {
            return NotAPicture(format);
        }
        return Stated(format, LittleEndian16(core + 4), LittleEndian16(core + 6) / rowsPerPictureRow);
    }
    const uint32_t knownSizes[] = {40, 52, 56, 64, 108, 124};
    if (std::find(std::begin(knownSizes), std::end(knownSizes), headerSize) == std::end(knownSizes)) {
        return NotAPicture(format);
    }
    uint8_t info[16];  // size, width, height, planes, bit count
    if (!ReadExactly(read, start, info, sizeof info)) return Undecided(format);
    if (LittleEndian16(info + 12) != 1 || !IsBmpBitCount(LittleEndian16(info + 14), true)) {
        return NotAPicture(format);
    }
    const int32_t width = static_cast<int32_t>(LittleEndian32(info + 4));
    const int32_t height = static_cast<int32_t>(LittleEndian32(info + 8));
    if (width < 0 || height == INT32_MIN) return NotAPicture(format);
    const uint32_t rows = static_cast<uint32_t>(height < 0 ? -height : height);
    return Stated(format, static_cast<uint32_t>(width), rows / rowsPerPictureRow);
}

// The file header (14 bytes), then the DIB header. Anything else that starts with "BM" (a text
// about cars, say) is no picture.
PictureHeader ReadBmp(const HeaderByteReader& read) { return ReadDibAt(read, 14, PictureFormat::kBmp, false); }

// An icon file: a directory (reserved 0, type 1, the number of icons) whose first 16-byte entry
// says where the first icon lies, and there a PNG file or a DIB. The first icon is the one the
// decoders show; under Wine the icon decoder decodes it whole before it can tell its size, so
// its size is read here. A directory without icons is left to the decoder.
PictureHeader ReadIco(const HeaderByteReader& read) {
    uint8_t directory[6 + 16];
    if (!ReadExactly(read, 0, directory, sizeof directory)) return Undecided(PictureFormat::kIco);
    if (LittleEndian16(directory + 4) == 0) return Undecided(PictureFormat::kIco);
    const uint64_t iconStart = LittleEndian32(directory + 6 + 12);
    uint8_t signature[sizeof kPngSignature];
    if (!ReadExactly(read, iconStart, signature, sizeof signature)) return Undecided(PictureFormat::kIco);
    if (std::memcmp(signature, kPngSignature, sizeof signature) == 0) {
        return ReadPngAt(read, iconStart, PictureFormat::kIco);
    }
    return ReadDibAt(read, iconStart, PictureFormat::kIco, true);
}

// An enhanced metafile: its header record (type 1, " EMF" at offset 40) states the bounds of
// what it draws in device pixels, edges included. GDI+ decodes metafiles and WIC has no decoder
// for them, so their size must come from here.
PictureHeader ReadEmf(const HeaderByteReader& read) {
    uint8_t header[44];
    if (!ReadExactly(read, 0, header, sizeof header)) return Undecided(PictureFormat::kEmf);
    const auto edge = [&](int offset) {
        return static_cast<int64_t>(static_cast<int32_t>(LittleEndian32(header + offset)));
    };
    const int64_t width = edge(16) - edge(8) + 1, height = edge(20) - edge(12) + 1;
    if (width <= 0 || height <= 0 || width > UINT32_MAX || height > UINT32_MAX) return Undecided(PictureFormat::kEmf);
    return Stated(PictureFormat::kEmf, static_cast<uint32_t>(width), static_cast<uint32_t>(height));
}

// A placeable Windows metafile: its 22-byte header states a bounding box in logical units and
// how many of them make an inch; the picture's pixels are those of a 96-dpi screen.
PictureHeader ReadPlaceableWmf(const HeaderByteReader& read) {
    uint8_t header[16];
    if (!ReadExactly(read, 0, header, sizeof header)) return Undecided(PictureFormat::kWmf);
    const auto edge = [&](int offset) {
        return static_cast<int64_t>(static_cast<int16_t>(LittleEndian16(header + offset)));
    };
    const int64_t unitsPerInch = LittleEndian16(header + 14);
    if (unitsPerInch == 0) return Undecided(PictureFormat::kWmf);
    const int64_t width = (edge(10) - edge(6)) * 96 / unitsPerInch;
    const int64_t height = (edge(12) - edge(8)) * 96 / unitsPerInch;
    if (width <= 0 || height <= 0) return Undecided(PictureFormat::kWmf);
    return Stated(PictureFormat::kWmf, static_cast<uint32_t>(width), static_cast<uint32_t>(height));
}

// A DirectDraw surface: "DDS ", then its 124-byte header with the height and the width of its
// first surface.
PictureHeader ReadDds(const HeaderByteReader& read) {
    uint8_t header[16];  // magic, header size, flags, height
    uint8_t width[4];
    if (!ReadExactly(read, 0, header, sizeof header) || !ReadExactly(read, 16, width, sizeof width)) {
        return Undecided(PictureFormat::kDds);
    }
    if (LittleEndian32(header + 4) != 124) return NotAPicture(PictureFormat::kDds);
    return Stated(PictureFormat::kDds, LittleEndian32(width), LittleEndian32(header + 12));
}

// What the first image directory of a TIFF structure says: ImageWidth (256) and ImageLength
// (257), each a single SHORT or LONG, and the orientation (274), a single SHORT.
struct TiffDirectory {
    bool read = false;  // the directory was found
    uint32_t width = 0;
    uint32_t height = 0;
    int orientation = kOrientationAsStored;
};

// The TIFF structure starts with its byte-order mark at `base` and ends before `limit`; its
// offsets count from `base`. A TIFF file is one (base 0); so is the Exif segment of a JPEG after
// its six-byte name. A size entry of another type or count stops the size there; an orientation
// of another type, count or value is no orientation.
TiffDirectory ReadFirstTiffDirectory(const HeaderByteReader& read, uint64_t base, uint64_t limit) {
    uint8_t start[8];
    if (limit < base + sizeof start || !ReadExactly(read, base, start, sizeof start)) return {};
    const bool little = start[0] == 'I' && start[1] == 'I';
    if (!little && !(start[0] == 'M' && start[1] == 'M')) return {};
    auto read16 = [little](const uint8_t* p) { return little ? LittleEndian16(p) : BigEndian16(p); };
    auto read32 = [little](const uint8_t* p) { return little ? LittleEndian32(p) : BigEndian32(p); };
    if (read16(start + 2) != 42) return {};

    const uint64_t directory = base + read32(start + 4);
    uint8_t countBytes[2];
    if (directory < base + 8 || directory + 2 > limit || !ReadExactly(read, directory, countBytes, sizeof countBytes)) {
        return {};
    }
    TiffDirectory result;
    result.read = true;
    const int entries = std::min<int>(read16(countBytes), kMaxTiffEntries);
    bool sizeStopped = false, orientationFound = false;
    for (int i = 0; i < entries; ++i) {
        const bool sizeDone = sizeStopped || (result.width != 0 && result.height != 0);
        if (sizeDone && orientationFound) break;
        const uint64_t at = directory + 2 + uint64_t(i) * 12;
        uint8_t entry[12];  // tag, type, count, value
        if (at + sizeof entry > limit || !ReadExactly(read, at, entry, sizeof entry)) break;
        const uint32_t tag = read16(entry);
        const uint32_t type = read16(entry + 2);
        const uint32_t count = read32(entry + 4);
        if ((tag == 256 || tag == 257) && !sizeStopped) {
            if ((type != 3 && type != 4) || count != 1) {
                sizeStopped = true;
                continue;
            }
            (tag == 256 ? result.width : result.height) = type == 3 ? read16(entry + 8) : read32(entry + 8);
        } else if (tag == kOrientationTag && !orientationFound) {
            orientationFound = true;
            if (type == 3 && count == 1) result.orientation = OrientationFromTag(read16(entry + 8));
        }
    }
    if (sizeStopped && (result.width == 0 || result.height == 0)) result.width = result.height = 0;
    return result;
}

bool IsFrameMarker(uint8_t marker) {
    // SOF0 .. SOF15 except DHT (C4), JPG (C8) and DAC (CC).
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

enum class MarkerSearch { kFound, kEndOfData, kTooFar };

// Moves `position` to the 0xFF that introduces the next marker, looking for it as a JPEG
// decoder does between segments: bytes other than 0xFF are skipped, so are further 0xFF fill
// bytes, and 0xFF followed by 0 (a stuffed zero, no marker). Reads the data in small chunks.
MarkerSearch FindNextMarker(const HeaderByteReader& read, uint64_t& position) {
    uint8_t chunk[256];
    bool previousWasFF = false;
    while (position < kMaxJpegHeaderBytes) {
        const size_t count = read(position, chunk, sizeof chunk);
        if (count == 0) return MarkerSearch::kEndOfData;
        for (size_t i = 0; i < count; ++i) {
            if (previousWasFF && chunk[i] != 0xFF && chunk[i] != 0x00) {
                position += i - 1;  // i is 0 when the 0xFF ended the previous chunk
                return MarkerSearch::kFound;
            }
            previousWasFF = chunk[i] == 0xFF;
        }
        position += count;
    }
    return MarkerSearch::kTooFar;
}

// Walks the segments from the start-of-image marker to the first frame header the way a JPEG
// decoder reads them, seeking over each segment by its length and skipping whatever lies between
// segments (junk bytes, fill bytes, stuffed zeros) up to the next marker, and reads the frame's
// height and width there. So the size the walk finds is the size the decoder allocates; where
// the walk finds none, the decoder finds none either and refuses the file at its headers: a scan,
// the end of the image or a second start marker before any frame, a segment or frame header cut
// short.
PictureHeader ReadJpeg(const HeaderByteReader& read) {
    uint64_t position = 2;
    int orientation = kOrientationAsStored;
    bool exifSeen = false;
    const auto withOrientation = [&orientation](PictureHeader header) {
        header.orientation = orientation;
        return header;
    };
    const auto undecided = [&] { return withOrientation(Undecided(PictureFormat::kJpeg)); };
    for (;;) {
        if (position >= kMaxJpegHeaderBytes) return withOrientation(NotAPicture(PictureFormat::kJpeg));
        uint8_t segment[4];
        const size_t count = read(position, segment, sizeof segment);
        if (count < 2 || segment[0] != 0xFF || segment[1] == 0xFF || segment[1] == 0x00) {
            switch (FindNextMarker(read, position)) {
                case MarkerSearch::kFound:
                    continue;
                case MarkerSearch::kEndOfData:
                    return undecided();
                case MarkerSearch::kTooFar:
                    return withOrientation(NotAPicture(PictureFormat::kJpeg));
            }
        }
        const uint8_t marker = segment[1];
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {  // markers without a length
            position += 2;
            continue;
        }
        if (marker == 0xD8 || marker == 0xD9 || marker == 0xDA) return undecided();
        if (count < sizeof segment) return undecided();
        const uint32_t length = BigEndian16(segment + 2);
        if (IsFrameMarker(marker)) {
            uint8_t frame[5];  // precision, height, width
            if (length < 2 + sizeof frame || !ReadExactly(read, position + 4, frame, sizeof frame)) return undecided();
            return withOrientation(Stated(PictureFormat::kJpeg, BigEndian16(frame + 3), BigEndian16(frame + 1)));
        }
        if (marker == 0xE1 && !exifSeen) {
            // The first APP1 segment named "Exif" holds the camera's TIFF structure.
            uint8_t name[6];
            if (length >= 2 + sizeof name && ReadExactly(read, position + 4, name, sizeof name) &&
                std::memcmp(name, "Exif\0\0", sizeof name) == 0) {
                exifSeen = true;
                orientation =
                    ReadFirstTiffDirectory(read, position + 4 + sizeof name, position + 2 + length).orientation;
            }
        }
        // A length below 2 covers less than its own field: decoders read on after the field.
        position += 2 + uint64_t{std::max<uint32_t>(length, 2)};
    }
}

// The byte-order mark, the offset of the first image directory, and in that directory the size
// and the orientation. The first directory is the picture a decoder shows first.
PictureHeader ReadTiff(const HeaderByteReader& read) {
    const TiffDirectory directory = ReadFirstTiffDirectory(read, 0, UINT64_MAX);
    PictureHeader header = Stated(PictureFormat::kTiff, directory.width, directory.height);
    header.orientation = directory.orientation;
    return header;
}

}  // namespace

PictureHeader ReadPictureHeader(const HeaderByteReader& read) {
    if (!read) return {};
    uint8_t signature[8];
    const size_t count = read(0, signature, sizeof signature);
    auto startsWith = [&](const char* magic, size_t length) {
        return count >= length && std::memcmp(signature, magic, length) == 0;
    };
    if (startsWith("\x89PNG\r\n\x1a\n", 8)) return ReadPngAt(read, 0, PictureFormat::kPng);
    if (startsWith("GIF87a", 6) || startsWith("GIF89a", 6)) return ReadGif(read);
    if (startsWith("BM", 2)) return ReadBmp(read);
    if (startsWith("\xFF\xD8", 2)) return ReadJpeg(read);
    if (startsWith("II*\0", 4) || startsWith("MM\0*", 4)) return ReadTiff(read);
    if (startsWith("\0\0\1\0", 4)) return ReadIco(read);
    if (startsWith("\xD7\xCD\xC6\x9A", 4)) return ReadPlaceableWmf(read);
    if (startsWith("DDS ", 4)) return ReadDds(read);
    uint8_t emfSignature[4];
    if (startsWith("\1\0\0\0", 4) && ReadExactly(read, 40, emfSignature, 4) &&
        std::memcmp(emfSignature, " EMF", 4) == 0) {
        return ReadEmf(read);
    }
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
