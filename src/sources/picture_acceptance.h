#pragma once

#include <cstdint>
#include <optional>
#include <string>

// The rule that decides which files a picture list takes: a file is a picture when it decodes
// and both its width and its height are greater than 32 pixels, the sides it shows with once
// turned upright by its EXIF orientation. Its name and extension play no part.

inline constexpr uint32_t kMinPictureSideExclusive = 32;

// Whether a picture of this size is one the program lists: both sides greater than 32 and the
// picture within the decoding budget (decoding_budget.h). The file's size plays no part: a
// picture whose header states its size is decoded from the file when the file is too large to
// read into memory.
bool IsListedPictureSize(uint32_t width, uint32_t height);

// The rule as the folder scan and the individual list apply it: from the file's first bytes
// where they tell (IsPictureByHeader), otherwise by the decoder that takes the content
// (IsPictureByDecoding).
bool IsAcceptedPicture(const std::wstring& path);

// What the first bytes of the file tell: true or false from the header of a JPEG, PNG, GIF, BMP,
// TIFF, icon or metafile that states its size; false for a header that is no picture, for
// content that matches the signature of no decoder of GDI+ or of the system's imaging component
// (WIC; it cannot decode), or when the file cannot be opened; empty when only a decoder can
// decide (see ReadPictureHeader).
std::optional<bool> IsPictureByHeader(const std::wstring& path);

// The decoding half alone. Content that a decoder of GDI+ claims is loaded whole with
// PictureHolder and its size checked (the decoded picture is released before returning);
// content that only WIC's codecs take (HEIF, WebP, AVIF, JPEG XR, DDS, camera raw files, as
// installed) is sized by its WIC decoder before any pixels are decoded (decoder_frame_size.h),
// turned upright by the orientation its metadata states, and held to IsListedPictureSize; content
// no decoder claims is no picture.
bool IsPictureByDecoding(const std::wstring& path);
