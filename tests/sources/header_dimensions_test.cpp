#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sources/header_dimensions.h"

namespace {

using Bytes = std::vector<uint8_t>;

void Append(Bytes& bytes, std::initializer_list<int> values) {
    for (int value : values) bytes.push_back(static_cast<uint8_t>(value));
}
void AppendBig16(Bytes& bytes, uint32_t value) { Append(bytes, {int(value >> 8 & 0xFF), int(value & 0xFF)}); }
void AppendBig32(Bytes& bytes, uint32_t value) {
    AppendBig16(bytes, value >> 16);
    AppendBig16(bytes, value & 0xFFFF);
}
void AppendLittle16(Bytes& bytes, uint32_t value) { Append(bytes, {int(value & 0xFF), int(value >> 8 & 0xFF)}); }
void AppendLittle32(Bytes& bytes, uint32_t value) {
    AppendLittle16(bytes, value & 0xFFFF);
    AppendLittle16(bytes, value >> 16);
}
Bytes Cut(Bytes bytes, size_t count) {
    bytes.resize(std::min(count, bytes.size()));
    return bytes;
}
Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

Bytes Png(uint32_t width, uint32_t height, uint32_t chunkLength = 13, const char* chunkType = "IHDR") {
    Bytes bytes = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    AppendBig32(bytes, chunkLength);
    bytes.insert(bytes.end(), chunkType, chunkType + 4);
    AppendBig32(bytes, width);
    AppendBig32(bytes, height);
    Append(bytes, {8, 6, 0, 0, 0, 0x11, 0x22, 0x33, 0x44});  // depth, colour type, methods, checksum
    return bytes;
}

Bytes Gif(const char* signature, uint32_t width, uint32_t height) {
    Bytes bytes = Text(signature);
    AppendLittle16(bytes, width);
    AppendLittle16(bytes, height);
    Append(bytes, {0xF7, 0, 0});
    return bytes;
}

Bytes BmpInfo(int32_t width, int32_t height, uint32_t headerSize = 40, uint32_t planes = 1, uint32_t bitCount = 24) {
    Bytes bytes = {'B', 'M'};
    AppendLittle32(bytes, 14 + headerSize);
    AppendLittle32(bytes, 0);
    AppendLittle32(bytes, 14 + headerSize);
    AppendLittle32(bytes, headerSize);
    AppendLittle32(bytes, static_cast<uint32_t>(width));
    AppendLittle32(bytes, static_cast<uint32_t>(height));
    AppendLittle16(bytes, planes);
    AppendLittle16(bytes, bitCount);
    bytes.resize(14 + headerSize, 0);
    return bytes;
}

Bytes BmpCore(uint32_t width, uint32_t height, uint32_t bitCount = 24) {
    Bytes bytes = {'B', 'M'};
    AppendLittle32(bytes, 26);
    AppendLittle32(bytes, 0);
    AppendLittle32(bytes, 26);
    AppendLittle32(bytes, 12);
    AppendLittle16(bytes, width);
    AppendLittle16(bytes, height);
    AppendLittle16(bytes, 1);
    AppendLittle16(bytes, bitCount);
    return bytes;
}

// A JPEG marker segment with `payload` bytes after its length field.
void Segment(Bytes& bytes, int marker, size_t payload, uint8_t fill = 0) {
    Append(bytes, {0xFF, marker});
    AppendBig16(bytes, static_cast<uint32_t>(payload + 2));
    bytes.insert(bytes.end(), payload, fill);
}
void Frame(Bytes& bytes, int marker, uint32_t width, uint32_t height) {
    Append(bytes, {0xFF, marker});
    AppendBig16(bytes, 17);
    Append(bytes, {8});
    AppendBig16(bytes, height);
    AppendBig16(bytes, width);
    Append(bytes, {3, 1, 0x22, 0, 2, 0x11, 1, 3, 0x11, 1});
}
Bytes JpegStart() { return {0xFF, 0xD8}; }
Bytes Jpeg(uint32_t width, uint32_t height, int frameMarker = 0xC0) {
    Bytes bytes = JpegStart();
    Segment(bytes, 0xE0, 14);  // APP0
    Segment(bytes, 0xDB, 67);  // DQT
    Frame(bytes, frameMarker, width, height);
    Segment(bytes, 0xC4, 30);  // DHT
    Segment(bytes, 0xDA, 10);  // SOS
    Append(bytes, {0x12, 0x34, 0xFF, 0xD9});
    return bytes;
}

struct Expected {
    HeaderFormat format;
    uint32_t width;
    uint32_t height;
};

struct Case {
    const char* what;
    Bytes bytes;
    std::optional<Expected> expected;
};

void CheckCases(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::optional<HeaderDimensions> found = ReadHeaderDimensions(c.bytes.data(), c.bytes.size());
        ASSERT_EQ(found.has_value(), c.expected.has_value());
        if (!found) continue;
        EXPECT_EQ(found->format, c.expected->format);
        EXPECT_EQ(found->width, c.expected->width);
        EXPECT_EQ(found->height, c.expected->height);
    }
}

TEST(HeaderDimensionsTest, Png) {
    const Bytes good = Png(33, 34);
    std::vector<Case> cases = {
        {"33 x 34", good, Expected{HeaderFormat::kPng, 33, 34}},
        {"largest size PNG allows", Png(0x7FFFFFFF, 1), Expected{HeaderFormat::kPng, 0x7FFFFFFF, 1}},
        {"width over 2^31 - 1", Png(0x80000000u, 40), std::nullopt},
        {"height over 2^31 - 1", Png(40, 0xFFFFFFFFu), std::nullopt},
        {"zero width", Png(0, 40), std::nullopt},
        {"zero height", Png(40, 0), std::nullopt},
        {"IHDR with a wrong length", Png(40, 40, 14), std::nullopt},
        {"first chunk not IHDR", Png(40, 40, 13, "IDAT"), std::nullopt},
        {"lower-case chunk type", Png(40, 40, 13, "ihdr"), std::nullopt},
        {"signature damaged",
         [&] {
             Bytes b = good;
             b[4] = '\n';
             return b;
         }(),
         std::nullopt},
    };
    for (size_t length = 0; length < 24; ++length) {
        cases.push_back({"cut short", Cut(good, length), std::nullopt});
    }
    cases.push_back({"cut right after the height", Cut(good, 24), Expected{HeaderFormat::kPng, 33, 34}});
    CheckCases(cases);
}

TEST(HeaderDimensionsTest, Gif) {
    std::vector<Case> cases = {
        {"GIF89a", Gif("GIF89a", 640, 480), Expected{HeaderFormat::kGif, 640, 480}},
        {"GIF87a", Gif("GIF87a", 33, 33), Expected{HeaderFormat::kGif, 33, 33}},
        {"largest", Gif("GIF89a", 65535, 65535), Expected{HeaderFormat::kGif, 65535, 65535}},
        {"unknown version", Gif("GIF88a", 640, 480), std::nullopt},
        {"zero width", Gif("GIF89a", 0, 480), std::nullopt},
        {"zero height", Gif("GIF89a", 640, 0), std::nullopt},
        {"text that starts with GIF", Text("GIF pictures are small\n"), std::nullopt},
    };
    for (size_t length = 0; length < 10; ++length) {
        cases.push_back({"cut short", Cut(Gif("GIF89a", 640, 480), length), std::nullopt});
    }
    CheckCases(cases);
}

TEST(HeaderDimensionsTest, Bmp) {
    std::vector<Case> cases = {
        {"info header, bottom-up", BmpInfo(33, 34), Expected{HeaderFormat::kBmp, 33, 34}},
        {"info header, top-down", BmpInfo(100, -40), Expected{HeaderFormat::kBmp, 100, 40}},
        {"V4 header", BmpInfo(50, 60, 108, 1, 32), Expected{HeaderFormat::kBmp, 50, 60}},
        {"V5 header", BmpInfo(50, 60, 124, 1, 32), Expected{HeaderFormat::kBmp, 50, 60}},
        {"V2 header (52)", BmpInfo(50, 60, 52, 1, 16), Expected{HeaderFormat::kBmp, 50, 60}},
        {"V3 header (56)", BmpInfo(50, 60, 56, 1, 16), Expected{HeaderFormat::kBmp, 50, 60}},
        {"1 bit", BmpInfo(50, 60, 40, 1, 1), Expected{HeaderFormat::kBmp, 50, 60}},
        {"compressed picture inside (bit count 0)", BmpInfo(50, 60, 40, 1, 0), Expected{HeaderFormat::kBmp, 50, 60}},
        {"largest width", BmpInfo(INT32_MAX, 1), Expected{HeaderFormat::kBmp, 0x7FFFFFFF, 1}},
        {"largest top-down height", BmpInfo(1, -INT32_MAX), Expected{HeaderFormat::kBmp, 1, 0x7FFFFFFF}},
        {"height that has no positive value", BmpInfo(40, INT32_MIN), std::nullopt},
        {"negative width", BmpInfo(-40, 40), std::nullopt},
        {"zero width", BmpInfo(0, 40), std::nullopt},
        {"zero height", BmpInfo(40, 0), std::nullopt},
        {"two planes", BmpInfo(40, 40, 40, 2), std::nullopt},
        {"bit count 3", BmpInfo(40, 40, 40, 1, 3), std::nullopt},
        {"OS/2 header of 64 bytes is left to the decoder", BmpInfo(40, 40, 64), std::nullopt},
        {"unknown header size", BmpInfo(40, 40, 41), std::nullopt},
        {"core header", BmpCore(33, 33), Expected{HeaderFormat::kBmp, 33, 33}},
        {"core header, largest", BmpCore(65535, 65535), Expected{HeaderFormat::kBmp, 65535, 65535}},
        {"core header, zero width", BmpCore(0, 33), std::nullopt},
        {"core header, 32 bits (not in core bitmaps)", BmpCore(40, 40, 32), std::nullopt},
        {"text that starts with BM", Text("BMW cars are bought by many people\n"), std::nullopt},
    };
    for (size_t length = 0; length < 30; ++length) {
        cases.push_back({"info header cut short", Cut(BmpInfo(40, 40), length), std::nullopt});
    }
    for (size_t length = 0; length < 26; ++length) {
        cases.push_back({"core header cut short", Cut(BmpCore(40, 40), length), std::nullopt});
    }
    CheckCases(cases);
}

TEST(HeaderDimensionsTest, Jpeg) {
    std::vector<Case> cases = {
        {"baseline", Jpeg(4000, 3000), Expected{HeaderFormat::kJpeg, 4000, 3000}},
        {"progressive", Jpeg(33, 33, 0xC2), Expected{HeaderFormat::kJpeg, 33, 33}},
        {"lossless", Jpeg(33, 33, 0xC3), Expected{HeaderFormat::kJpeg, 33, 33}},
        {"arithmetic", Jpeg(33, 33, 0xC9), Expected{HeaderFormat::kJpeg, 33, 33}},
        {"largest", Jpeg(65535, 65535), Expected{HeaderFormat::kJpeg, 65535, 65535}},
        {"height defined later (0)", Jpeg(640, 0), std::nullopt},
        {"zero width", Jpeg(0, 480), std::nullopt},
        {"only the start marker", JpegStart(), std::nullopt},
        {"start marker without a following marker", Bytes{0xFF, 0xD8, 0x00, 0x10}, std::nullopt},
    };
    {
        Bytes b = JpegStart();
        Segment(b, 0xE1, 65533, 0xFF);  // a large metadata segment full of 0xFF, skipped by its length
        Segment(b, 0xE2, 1000, 0xC0);
        Frame(b, 0xC0, 1024, 768);
        cases.push_back({"frame after large metadata segments", b, Expected{HeaderFormat::kJpeg, 1024, 768}});
    }
    {
        Bytes b = JpegStart();
        Append(b, {0xFF, 0xFF, 0xFF});
        Segment(b, 0xE0, 14);
        Append(b, {0xFF, 0xD0, 0xFF, 0x01});  // markers without a length
        Frame(b, 0xC1, 500, 400);
        cases.push_back({"fill bytes and markers without length", b, Expected{HeaderFormat::kJpeg, 500, 400}});
    }
    {
        Bytes b = JpegStart();
        Segment(b, 0xC4, 20);  // DHT, DAC and JPG use C4, CC and C8 but are no frame headers
        Segment(b, 0xCC, 4);
        Segment(b, 0xC8, 7, 0x40);
        Frame(b, 0xC0, 77, 66);
        cases.push_back({"C4, C8 and CC are not frames", b, Expected{HeaderFormat::kJpeg, 77, 66}});
    }
    {
        Bytes b = JpegStart();
        Segment(b, 0xE0, 14);
        Segment(b, 0xDA, 10);
        Frame(b, 0xC0, 40, 40);
        cases.push_back({"scan before any frame", b, std::nullopt});
    }
    {
        Bytes b = JpegStart();
        Append(b, {0xFF, 0xD9});
        Frame(b, 0xC0, 40, 40);
        cases.push_back({"end of image before any frame", b, std::nullopt});
    }
    {
        Bytes b = JpegStart();
        Append(b, {0xFF, 0xD8});
        Frame(b, 0xC0, 40, 40);
        cases.push_back({"a second start marker", b, std::nullopt});
    }
    for (uint32_t length : {0u, 1u}) {
        Bytes b = JpegStart();
        Append(b, {0xFF, 0xE0});
        AppendBig16(b, length);
        Frame(b, 0xC0, 40, 40);
        cases.push_back({"segment length below 2", b, std::nullopt});
    }
    {
        Bytes b = JpegStart();
        Segment(b, 0xE0, 14);
        b.push_back(0x00);  // junk between segments
        Frame(b, 0xC0, 40, 40);
        cases.push_back({"junk between segments", b, std::nullopt});
    }
    {
        Bytes b = JpegStart();
        Append(b, {0xFF, 0xE1, 0xFF, 0xFF, 1, 2, 3});
        cases.push_back({"segment longer than the file", b, std::nullopt});
    }
    {
        Bytes b = JpegStart();
        Append(b, {0xFF, 0xC0});
        AppendBig16(b, 6);  // too short to hold the size
        Append(b, {8, 0, 40, 0, 40, 3});
        cases.push_back({"frame header shorter than its size fields", b, std::nullopt});
    }
    {
        Bytes b = JpegStart();
        b.insert(b.end(), 20000, 0xFF);
        Frame(b, 0xC0, 40, 40);
        cases.push_back({"more fill bytes than a walk follows", b, std::nullopt});
    }
    {
        Bytes b = JpegStart();
        for (int i = 0; i < kMaxJpegSegments; ++i) Segment(b, 0xFE, 0);
        Frame(b, 0xC0, 40, 40);
        cases.push_back({"more segments than a walk follows", b, std::nullopt});
    }
    const Bytes good = Jpeg(40, 50);
    for (size_t length = 0; length < good.size(); ++length) {
        const size_t frameSizeEnd = 2 + 18 + 71 + 9;
        cases.push_back(
            {"cut short", Cut(good, length),
             length >= frameSizeEnd ? std::optional<Expected>(Expected{HeaderFormat::kJpeg, 40, 50}) : std::nullopt});
    }
    CheckCases(cases);
}

TEST(HeaderDimensionsTest, OtherContentTellsNothing) {
    const std::vector<Case> cases = {
        {"empty", Bytes{}, std::nullopt},
        {"text", Text("This is not a picture, whatever its name says.\r\n"), std::nullopt},
        {"TIFF is left to the decoder", Bytes{'I', 'I', 42, 0, 8, 0, 0, 0, 0, 0}, std::nullopt},
        {"zeros", Bytes(4096, 0), std::nullopt},
        {"0xFF", Bytes(4096, 0xFF), std::nullopt},
    };
    CheckCases(cases);
    EXPECT_FALSE(ReadHeaderDimensions(nullptr, 100).has_value());
    EXPECT_FALSE(ReadHeaderDimensions(HeaderByteReader{}).has_value());
}

// The walk seeks over segments instead of reading them: a file with a 64 KiB metadata segment
// costs a few bytes of reading, wherever its frame header lies.
TEST(HeaderDimensionsTest, JpegWalkReadsOnlyMarkersAndTheFrameHeader) {
    Bytes b = JpegStart();
    for (int i = 0; i < 8; ++i) Segment(b, 0xE1, 65533, 0xAB);
    Frame(b, 0xC0, 4000, 3000);
    Segment(b, 0xDA, 60000);

    size_t bytesRead = 0;
    int reads = 0;
    const std::optional<HeaderDimensions> found =
        ReadHeaderDimensions([&](uint64_t offset, uint8_t* buffer, size_t count) -> size_t {
            ++reads;
            if (offset >= b.size()) return 0;
            const size_t available = std::min<uint64_t>(count, b.size() - offset);
            std::copy_n(b.data() + offset, available, buffer);
            bytesRead += available;
            return available;
        });
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->width, 4000u);
    EXPECT_EQ(found->height, 3000u);
    EXPECT_LE(bytesRead, 8u + 9 * 4 + 5);
    EXPECT_LE(reads, 11);
}

// A reader that fails after a number of bytes (a file cut or gone during the walk) ends the walk
// without an answer.
TEST(HeaderDimensionsTest, FailingReaderGivesNoAnswer) {
    struct Format {
        const char* what;
        Bytes bytes;
        int readsNeeded;  // signature, then the header parts
    };
    const Format formats[] = {
        {"PNG", Png(40, 40), 2},
        {"GIF", Gif("GIF89a", 40, 40), 2},
        {"BMP info header", BmpInfo(40, 40), 3},
        {"BMP core header", BmpCore(40, 40), 2},
        {"JPEG", Jpeg(40, 40), 5},
    };
    for (const Format& format : formats) {
        const Bytes& bytes = format.bytes;
        for (int allowedReads = 0; allowedReads <= format.readsNeeded; ++allowedReads) {
            SCOPED_TRACE(std::string(format.what) + " after reads: " + std::to_string(allowedReads));
            int reads = 0;
            const std::optional<HeaderDimensions> found =
                ReadHeaderDimensions([&](uint64_t offset, uint8_t* buffer, size_t count) -> size_t {
                    if (reads++ >= allowedReads || offset >= bytes.size()) return 0;
                    const size_t available = std::min<uint64_t>(count, bytes.size() - offset);
                    std::copy_n(bytes.data() + offset, available, buffer);
                    return available;
                });
            EXPECT_EQ(found.has_value(), allowedReads >= format.readsNeeded);
        }
    }
}

}  // namespace
