#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Pictures for the tests of texture squares and thumbnails, made at test time.

// A width x height picture (top-down 0xAARRGGBB) encoded by GDI+'s encoder for `mimeType`
// ("image/png", "image/jpeg", ...); empty when it could not be made.
std::vector<uint8_t> EncodePixels(int width, int height, const std::vector<uint32_t>& argbTopDown,
                                  const wchar_t* mimeType = L"image/png");
// The same picture written to the file `path`; false when GDI+ cannot make or write it.
bool WritePixels(const std::wstring& path, int width, int height, const std::vector<uint32_t>& argbTopDown,
                 const wchar_t* mimeType = L"image/png");

// Writes a width x height PNG of one colour (0xAARRGGBB); false when GDI+ cannot make it.
bool WriteSolidPng(const std::wstring& path, int width, int height, uint32_t argb);

// How many of the visible pixels of a picture file (every second one in each direction) are
// magenta, a colour that none of the program's sample pictures has; -1 when the file does not
// decode.
int CountMagentaPixels(const std::wstring& path);

// A PNG byte sequence whose header claims width x height (8-bit RGBA); the chunks carry correct
// checksums and a tiny picture body, so that only the size is wrong: the size of a picture
// without its memory.
std::vector<uint8_t> PngClaimingSize(uint32_t width, uint32_t height);

// Photos as phones store them: the pixels as the sensor read them, and the EXIF orientation
// (tag 0x0112) that says how to turn them upright.
//
// The upright picture of every orientation test is grey with three corner markers, each a
// quarter of the side: red at the top left, green at the top right, blue at the bottom left. Any
// turn or mirror that is wrong moves at least one of them.
inline constexpr uint32_t kMarkerGrey = 0xFF808080u, kMarkerRed = 0xFFE00000u, kMarkerGreen = 0xFF00C000u,
                          kMarkerBlue = 0xFF0000E0u;
uint32_t MarkedPictureAt(int x, int y, int width, int height);

// The stored pixels of an upright width x height picture for orientation 1 to 8: stored as the
// camera would, so that turning them by the orientation gives the upright picture back. For 5 to
// 8 the stored picture is height x width. From the EXIF definition of each value: where the
// stored picture's first row and first column show once the picture is upright.
struct StoredPicture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;  // top-down 0xAARRGGBB
};
StoredPicture StoreForOrientation(int uprightWidth, int uprightHeight, int orientation);

// `jpeg` with an Exif segment right after its start marker whose first image directory holds
// the orientation `value` (written as given, also outside 1 to 8), in Intel or Motorola byte
// order.
std::vector<uint8_t> WithExifOrientation(const std::vector<uint8_t>& jpeg, uint32_t value, bool bigEndian = false);

// The marked picture, stored for `orientation` and encoded as a JPEG carrying it.
std::vector<uint8_t> OrientedMarkerJpeg(int uprightWidth, int uprightHeight, int orientation, bool bigEndian = false);

// Pictures whose header misleads: their decoder allocates and fills the whole size the header
// states, whatever little picture data follows (decoders fill a picture whose data ends early).

// `jpeg` (a baseline or progressive JPEG) with the size in its frame header changed to
// width x height.
std::vector<uint8_t> JpegStatingSize(const std::vector<uint8_t>& jpeg, uint32_t width, uint32_t height);

// A JPEG of about 5 KB, encoded by GDI+ from a noisy 120 x 90 picture, whose frame header states
// width x height.
std::vector<uint8_t> SmallJpegStatingSize(uint32_t width, uint32_t height);

// `jpeg` with one junk byte (0x00) before its first quantisation table: JPEG decoders skip bytes
// between segments up to the next marker.
std::vector<uint8_t> WithJunkBeforeFirstTable(const std::vector<uint8_t>& jpeg);

// `jpeg` with `count` empty comment segments right after its start marker.
std::vector<uint8_t> WithCommentSegments(const std::vector<uint8_t>& jpeg, int count);

// An icon file (".ico") of one 32-bit icon of side x side pixels in `argb` (0xAARRGGBB).
std::vector<uint8_t> IconFile(int side, uint32_t argb);

// An enhanced metafile (".emf") made by GDI that fills a rectangle of width x height pixels.
std::vector<uint8_t> EnhancedMetafileFile(int width, int height);

// An icon file whose one icon is `png`, a PNG file (as icons of 256 pixels are stored).
std::vector<uint8_t> IconFileOfPng(const std::vector<uint8_t>& png);
