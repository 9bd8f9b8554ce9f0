#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// The three pictures the faces show before the user picks any: encoded picture files built into
// the program, kept with every byte increased by 0x80 and restored once per process.
struct SamplePicture {
    const uint8_t* bytes;
    size_t size;
};

inline constexpr int kSamplePictureCount = 3;

// The restored picture files; the first call restores them, later calls only return them.
const std::array<SamplePicture, kSamplePictureCount>& SamplePictures();
