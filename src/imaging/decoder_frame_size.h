#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "imaging/picture_header.h"
#include "imaging/picture_orientation.h"

// The size of a picture as its decoder tells it before any pixels are decoded, for the pictures
// whose own header leaves the size open (picture_header.h): only once the size is known is the
// picture held to the decoding budget and given its decode route and turn (decoding_budget.h).
//
// The decoder asked is the system's imaging component (WIC), for the first frame of the
// picture; GDI+ decodes a picture only after that. On Windows the decoders read the size from
// the picture's headers. Under Wine the decoders of JPEG, PNG and GIF decode the whole picture
// before the size can be asked, and the icon decoder decodes the first icon: the program's own
// header reading (picture_header.h) therefore follows these formats as far as their decoders do,
// so that what it leaves open of them is content their decoders refuse at its headers.

// What the decoder tells of the first frame before decoding it: its size as stored and the
// orientation its metadata states (WicFrameOrientation; nothing when it states none).
struct DecoderFrame {
    PictureSize size;
    std::optional<int> orientation;
};

// The first frame's size and orientation; nothing when WIC is missing, no decoder takes the
// content, or the decoder fails at it.
std::optional<DecoderFrame> DescribeDecoderFrame(const wchar_t* path);
std::optional<DecoderFrame> DescribeDecoderFrame(const uint8_t* bytes, size_t count);

// The first frame's size alone, as DescribeDecoderFrame tells it.
std::optional<PictureSize> DecoderFrameSize(const wchar_t* path);
std::optional<PictureSize> DecoderFrameSize(const uint8_t* bytes, size_t count);

// `header` with its size settled: a header that leaves the size open becomes sized by the
// decoder's answer (the format as the header read it), or no picture when the decoder tells none
// or a zero side. The orientation is the header's, except for content of none of the formats the
// program reads (PictureFormat::kNone: HEIF, WebP, AVIF, JPEG XR, camera raw files, ...) whose
// decoder's metadata states one: only the decoder can read that. The decoder is asked holding the large-decode turn,
// since under Wine the answer may decode the whole picture. A sized header, or one that is no picture, is returned as
// it is, and the decoder is not asked.
PictureHeader SettleHeaderSize(const PictureHeader& header, const wchar_t* path);
PictureHeader SettleHeaderSize(const PictureHeader& header, const uint8_t* bytes, size_t count);
