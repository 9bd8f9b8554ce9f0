#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Decodes a picture straight onto the texture square through the system's imaging component
// (WIC), reading it one row at a time into a TextureReduction: the codec's own copy of the
// picture is the only full-size copy there is (under Wine the codec decodes the whole picture
// first; on Windows it decodes as the rows are asked for). Used for pictures larger than GDI+
// decodes whole (see decoding_budget.h). Any thread may call these; each joins COM for the call
// when its thread has not.

// The square's pixels (top-down 0xAARRGGBB, not premultiplied, as TextureReduction gives them),
// or empty when the picture does not decode, decodes larger than the decoding budget, or WIC is
// missing.
std::vector<uint32_t> DecodeReducedSquareFromFile(const wchar_t* path, int aspectMode);
std::vector<uint32_t> DecodeReducedSquareFromMemory(const uint8_t* bytes, size_t count, int aspectMode);
