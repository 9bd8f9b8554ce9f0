#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "imaging/picture_orientation.h"

// What the header of a JPEG, PNG, GIF, BMP, TIFF, icon, metafile or DirectDraw surface says, found from the file's
// content (never its name) by reading only the few bytes that hold it. Two callers rely on it: the folder scan takes
// its answer as the picture test instead of decoding every file, and every decode checks it first, because a decoder
// allocates the whole picture from the size a header claims.
//
// One rule for every format, with three answers:
// - kSized: a well-formed header that states both sides; width and height are what it states
//   (they may be far beyond what the program decodes; the caller compares).
// - kNotAPicture: content that starts with a format's signature but whose header breaks that
//   format's rules in a way no decoder accepts (a BMP header of an unknown size, with other
//   than one plane, an unknown bit count, a negative width or a height of -2^31; a PNG whose
//   first chunk is not a 13-byte IHDR, or whose side exceeds 2^31 - 1; an icon whose first icon
//   is neither a PNG nor a DIB by these rules; a DirectDraw surface whose header is not the
//   124-byte one), and a JPEG whose first frame header lies further
//   into the file than kMaxJpegHeaderBytes. Neither listed nor decoded.
// - kUndecided: everything the header alone cannot settle: content of none of these formats, a
//   header cut short, a side stated as zero (a JPEG whose height a later DNL segment sets, a GIF
//   with an empty logical screen), a JPEG without a frame header before its first scan or its
//   end, a TIFF without plain size tags. Such a file is decoded only once its decoder has told
//   the size (decoder_frame_size.h).
//
// A DirectDraw surface (DDS), which only the system's imaging component decodes, is read here
// because Wine's decoder of it allocates the size its header states when it is asked for its
// first frame, before it can tell that size.
//
// A JPEG's segments are walked as a decoder reads them, junk and fill bytes between segments
// included, so that the size found is the one the decoder allocates. An icon file's size is the
// size of its first icon, the one decoders show.
//
// Besides the size, the header tells how the picture is turned to show upright: the EXIF
// orientation (tag 0x0112) of a JPEG's Exif segment or of a TIFF's first image directory, read
// whatever the verdict; 1 (as stored) when there is none or its value is outside 1 to 8.

// Reads up to `count` bytes at `offset` of the file into `buffer`; returns how many bytes it
// read (fewer at the end of the file, 0 past it or on a read error).
using HeaderByteReader = std::function<size_t(uint64_t offset, uint8_t* buffer, size_t count)>;

enum class PictureFormat { kNone, kJpeg, kPng, kGif, kBmp, kTiff, kIco, kEmf, kWmf, kDds };

enum class HeaderVerdict { kUndecided, kSized, kNotAPicture };

struct PictureHeader {
    HeaderVerdict verdict = HeaderVerdict::kUndecided;
    PictureFormat format = PictureFormat::kNone;  // kNone only for content of none of the formats
    uint32_t width = 0;                           // both sides are set (non-zero) only when kSized
    uint32_t height = 0;
    int orientation = kOrientationAsStored;

    bool IsSized() const { return verdict == HeaderVerdict::kSized; }
    // The sides the picture shows with once it is turned upright.
    uint32_t UprightWidth() const { return OrientationSwapsSides(orientation) ? height : width; }
    uint32_t UprightHeight() const { return OrientationSwapsSides(orientation) ? width : height; }
};

// How far into a JPEG file its walk looks for the first frame header: cameras write it within
// the first megabyte or so, after metadata segments of at most 64 KiB each.
inline constexpr uint64_t kMaxJpegHeaderBytes = 64ull * 1024 * 1024;
// TIFF directory entries a header walk passes before it gives up: real files have a few dozen.
inline constexpr int kMaxTiffEntries = 4096;
// The EXIF orientation tag.
inline constexpr uint32_t kOrientationTag = 0x0112;

// Reads the header through `read`, seeking over what it does not need: a JPEG's metadata
// segments are skipped by their lengths, a TIFF's directory is read where its offset points.
PictureHeader ReadPictureHeader(const HeaderByteReader& read);

// The same over bytes in memory.
PictureHeader ReadPictureHeader(const uint8_t* bytes, size_t count);
