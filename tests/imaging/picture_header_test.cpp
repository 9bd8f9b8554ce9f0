#include "imaging/picture_header.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<uint8_t> Bytes(std::initializer_list<int> values) {
    std::vector<uint8_t> bytes;
    for (int value : values) bytes.push_back(static_cast<uint8_t>(value));
    return bytes;
}

std::vector<uint8_t> Concat(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const std::vector<uint8_t> kPngStart =
    Bytes({0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'});

struct HeaderCase {
    const char* what;
    std::vector<uint8_t> bytes;
    bool known;
    uint32_t width, height;
};

TEST(ReadPictureHeaderSize, KnownFormats) {
    const HeaderCase cases[] = {
        {"png", Concat(kPngStart, Bytes({0, 0, 0x07, 0xD0, 0, 0, 0x03, 0xE8, 8, 6, 0, 0, 0})), true, 2000, 1000},
        {"png cut in its size", Concat(kPngStart, Bytes({0, 0, 0x07, 0xD0, 0, 0})), false, 0, 0},
        {"png without IHDR first",
         Bytes({0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'D', 'A', 'T', 0, 0, 1, 0, 0, 0, 1, 0}),
         false, 0, 0},
        {"gif", Bytes({'G', 'I', 'F', '8', '9', 'a', 0x60, 0xEA, 0x60, 0xEA, 0}), true, 60000, 60000},
        {"gif87", Bytes({'G', 'I', 'F', '8', '7', 'a', 3, 0, 2, 0}), true, 3, 2},
        {"bmp info header",
         Bytes({'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 0x60, 0xEA, 0, 0, 0x10, 0x27, 0, 0}), true,
         60000, 10000},
        {"bmp top-down",
         Bytes({'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 5, 0, 0, 0, 0xFD, 0xFF, 0xFF, 0xFF}), true,
         5, 3},
        {"bmp core header",
         Bytes({'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 26, 0, 0, 0, 12, 0, 0, 0, 7, 0, 9, 0, 1, 0, 24, 0}), true, 7, 9},
        {"jpeg after an APP0 segment",
         Bytes({0xFF, 0xD8, 0xFF, 0xE0, 0, 4, 'J', 'F', 0xFF, 0xC0, 0, 17, 8, 0x0B, 0xB8, 0x0F, 0xA0, 3}), true, 4000,
         3000},
        {"progressive jpeg", Bytes({0xFF, 0xD8, 0xFF, 0xC2, 0, 17, 8, 0xEA, 0x60, 0xEA, 0x60, 3}), true, 60000, 60000},
        {"jpeg: a Huffman table is no frame header",
         Bytes({0xFF, 0xD8, 0xFF, 0xC4, 0, 4, 0, 0, 0xFF, 0xC0, 0, 17, 8, 0, 2, 0, 3, 3}), true, 3, 2},
        {"jpeg cut before its frame", Bytes({0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F'}), false, 0, 0},
        {"jpeg scan before any frame", Bytes({0xFF, 0xD8, 0xFF, 0xDA, 0, 4, 0, 0, 0xFF, 0xC0, 0, 17, 8, 0, 2, 0, 3, 3}),
         false, 0, 0},
        {"tiff little-endian", Bytes({'I', 'I',  '*', 0, 8, 0, 0, 0, 2, 0, 0, 1, 3, 0,    1, 0, 0,
                                      0,   0x20, 0,   0, 0, 1, 1, 4, 0, 1, 0, 0, 0, 0x10, 0, 1, 0}),
         true, 32, 65552},
        {"tiff big-endian", Bytes({'M', 'M', 0, '*', 0, 0, 0, 8, 0, 2, 1, 0, 0, 3, 0, 0, 0,
                                   1,   0,   9, 0,   0, 1, 1, 0, 3, 0, 0, 0, 1, 0, 4, 0, 0}),
         true, 9, 4},
        {"tiff directory outside the file", Bytes({'I', 'I', '*', 0, 0xFF, 0xFF, 0xFF, 0x7F}), false, 0, 0},
        {"text", Bytes({'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'}), false, 0, 0},
        {"empty", {}, false, 0, 0},
    };
    for (const HeaderCase& testCase : cases) {
        SCOPED_TRACE(testCase.what);
        const std::optional<PictureSize> size = ReadPictureHeaderSize(testCase.bytes.data(), testCase.bytes.size());
        ASSERT_EQ(size.has_value(), testCase.known);
        if (!size) continue;
        EXPECT_EQ(size->width, testCase.width);
        EXPECT_EQ(size->height, testCase.height);
    }
}

TEST(IsPictureHeaderAcceptable, BoundsTheDecodedSize) {
    const struct {
        uint32_t width, height;
        bool acceptable;
    } cases[] = {
        {4000, 3000, true},    {33, 33, true},         {8192, 8192, true},        {8193, 8192, false},
        {60000, 60000, false}, {32768, 16, true},      {32769, 16, false},        {0, 100, false},
        {100, 0, false},       {0xFFFFFFFF, 1, false}, {0x10000, 0x10000, false},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(std::to_string(testCase.width) + " x " + std::to_string(testCase.height));
        std::vector<uint8_t> bytes = kPngStart;
        for (uint32_t value : {testCase.width, testCase.height}) {
            for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(static_cast<uint8_t>(value >> shift));
        }
        EXPECT_EQ(IsPictureHeaderAcceptable(bytes.data(), bytes.size()), testCase.acceptable);
    }
    // A header the program does not read is left to the decoder.
    const std::string text = "not a picture";
    EXPECT_TRUE(IsPictureHeaderAcceptable(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
    EXPECT_TRUE(IsPictureHeaderAcceptable(nullptr, 0));
}

}  // namespace
