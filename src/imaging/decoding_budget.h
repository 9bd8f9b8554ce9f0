#pragma once

#include <cstdint>
#include <mutex>

#include "imaging/picture_header.h"

// How much memory decoding one picture may take, and which way a picture is decoded.
//
// The budget is one full-size copy of at most 2^28 pixels (268 megapixels): 1 GiB at 4 bytes a
// pixel, the 32-bit pixels GDI+ decodes to (the codecs under Wine keep a JPEG photo in 3). That
// takes in the 200-megapixel photos of today's phones (800 MB), 108-megapixel ones, and stitched
// panoramas such as 30000 x 6000 or 65535 x 4000, while a 64-bit process on any machine that
// edits such photos (8 GB and more) keeps its footing for the seconds a decode lasts; a header
// claiming 60000 x 60000 (14.4 GB) stays refused. Large decodes take turns (TakeDecodeTurn), so
// several displays and other threads that decode never decode two large pictures at once.
//
// A side is at most 2^18 pixels, so that one row of the widest picture (1 MiB) is a small
// buffer; JPEG and GIF cannot state more than 65535.
//
// Pictures up to 2^24 pixels (16.7 megapixels: the 12-megapixel photos of most phones) are
// decoded whole from the file's bytes in memory (canvas_picture.h): JPEG by the system's codec,
// which holds one full-size copy, other pictures by GDI+, which under Wine holds two while it
// loads (the codec's and its own); both are reduced onto the square from those pixels without a
// further copy. Larger pictures, and pictures in files too large to read into memory, go the
// reducing way: decoded from the file and reduced onto the texture square one row at a time, so
// that the codec's copy is the only full-size copy.

inline constexpr uint64_t kMaxDecodedPixels = uint64_t{1} << 28;
inline constexpr uint32_t kMaxDecodedSide = uint32_t{1} << 18;
inline constexpr uint64_t kLargePicturePixels = uint64_t{1} << 24;

// Largest picture file the program reads into memory whole.
inline constexpr uint64_t kMaxPictureFileBytes = 256ull * 1024 * 1024;

// Both sides non-zero, neither over kMaxDecodedSide, and at most kMaxDecodedPixels.
bool FitsDecodingBudget(uint32_t width, uint32_t height);

// Whether the decoder may be given a picture whose header says this: only a size within the
// budget. A header that leaves the size open is first settled by asking the decoder for the size
// (decoder_frame_size.h); until then it may not be decoded.
bool MayDecode(const PictureHeader& header);

enum class DecodeRoute {
    kRefuse,    // no picture, or larger than the budget: not decoded at all
    kWhole,     // GDI+ decodes the whole picture from the file's bytes in memory
    kReducing,  // decoded from the file and reduced onto the texture square row by row
};

// The way a picture with this header, in a file of `fileBytes` bytes, is decoded for the texture
// square. A header that leaves the size open is refused: settle it first.
DecodeRoute ChooseDecodeRoute(const PictureHeader& header, uint64_t fileBytes);

// The turn a decode of a picture with this header holds while it runs: large pictures (over
// kLargePicturePixels) take turns, one at a time in the process, and so does every decode of a
// picture whose size is still open (asking the decoder for it may decode the whole picture); for
// any other picture the lock returned owns nothing and nobody waits.
std::unique_lock<std::mutex> TakeDecodeTurn(const PictureHeader& header);
