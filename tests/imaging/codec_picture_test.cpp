// Pictures that GDI+ does not decode and the system's imaging component (WIC) does through its
// codecs: sized by their decoder before any pixels are decoded, then decoded through WIC onto the
// texture square and the thumbnail cell, upright by the orientation their metadata states.
// Under Wine 8 such formats are DDS, TGA and JPEG XR (its codec built with the JPEG XR library);
// it has no codec for WebP, HEIF or AVIF, which on Windows come with extensions of the system.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "common/codec_picture_fixtures.h"
#include "common/message_box.h"
#include "common/process_memory.h"
#include "common/test_files.h"
#include "generated_pictures.h"
#include "imaging/canvas_picture.h"
#include "imaging/decoder_frame_size.h"
#include "imaging/decoding_budget.h"
#include "imaging/picture_canvas.h"
#include "imaging/picture_header.h"
#include "imaging/picture_holder.h"
#include "imaging/square_reduction.h"
#include "imaging/texture_picture.h"
#include "imaging/texture_square.h"
#include "imaging/thumbnail_cell.h"
#include "imaging_test_support.h"

namespace {

constexpr uint32_t kRed = 0xFFE01010u, kBlue = 0xFF1020E0u;
// The texture square's translucent grey as the bitmap hands it out (premultiplied).
const uint32_t kGrey = PremultipliedArgb(kTextureBackground);

// 64 x 48: red on the left half, blue on the right.
std::vector<uint32_t> HalvesPixels(int width, int height) {
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) pixels[static_cast<size_t>(y) * width + x] = x < width / 2 ? kRed : kBlue;
    }
    return pixels;
}

bool NearColour(uint32_t actual, uint32_t expected, int tolerance = 6) {
    for (int shift : {0, 8, 16, 24}) {
        const int difference = static_cast<int>(actual >> shift & 0xFF) - static_cast<int>(expected >> shift & 0xFF);
        if (std::abs(difference) > tolerance) return false;
    }
    return true;
}

// The texture square's pixels; empty when there is no bitmap.
TopDownPixels SquareOf(HBITMAP texture) {
    TopDownPixels pixels = ReadTopDownPixels(texture);
    if (texture != nullptr) DeleteObject(texture);
    return pixels;
}

class CodecPictureTest : public ::testing::Test {
protected:
    TestFolder m_folder{L"codec_pictures"};
};

// A DDS picture: its header read by the program, no decoder of GDI+; WIC decodes it onto
// the texture square (64 x 48 kept: 1024 x 768 from y 128, red left, blue right), onto a thumbnail
// cell (128 x 96 from y 16 over white), and from memory as well.
TEST_F(CodecPictureTest, ADdsPictureIsDecodedThroughWicOnEveryCanvas) {
    const std::vector<uint8_t> dds = DdsFile(64, 48, HalvesPixels(64, 48));
    const std::wstring path = m_folder / L"halves.dds";
    ASSERT_TRUE(WriteFileBytes(path, dds));

    const PictureHeader header = ReadPictureHeader(dds.data(), dds.size());
    EXPECT_EQ(header.verdict, HeaderVerdict::kSized);
    EXPECT_EQ(header.format, PictureFormat::kDds);
    EXPECT_EQ(header.width, 64u);
    EXPECT_EQ(header.height, 48u);
    const std::optional<DecoderFrame> frame = DescribeDecoderFrame(path.c_str());
    ASSERT_TRUE(frame.has_value()) << "WIC has no DDS decoder";
    EXPECT_EQ(frame->size.width, 64u);
    EXPECT_EQ(frame->size.height, 48u);
    EXPECT_FALSE(frame->orientation.has_value()) << "a DDS states no orientation";

    // GDI+ cannot decode it: the holder stays empty.
    PictureHolder holder;
    ASSERT_TRUE(holder.LoadFile(path.c_str()));
    EXPECT_EQ(holder.Image(), nullptr);
    EXPECT_EQ(holder.Width(), 0u);

    for (const bool fromMemory : {false, true}) {
        SCOPED_TRACE(fromMemory ? "from memory" : "from the file");
        const TopDownPixels square = SquareOf(fromMemory ? LoadTexturePictureMemory(dds.data(), dds.size(), kAspectKeep)
                                                         : LoadTexturePictureFile(path.c_str(), kAspectKeep));
        ASSERT_EQ(square.width, kTextureSide);
        ASSERT_EQ(square.height, kTextureSide);
        EXPECT_EQ(square.At(512, 64), kGrey) << "grey above the picture";
        EXPECT_EQ(square.At(512, 1024 - 64), kGrey) << "grey below the picture";
        for (int y : {140, 512, 880}) {
            SCOPED_TRACE(y);
            EXPECT_TRUE(NearColour(square.At(100, y), kRed)) << std::hex << square.At(100, y);
            EXPECT_TRUE(NearColour(square.At(470, y), kRed)) << std::hex << square.At(470, y);
            EXPECT_TRUE(NearColour(square.At(554, y), kBlue)) << std::hex << square.At(554, y);
            EXPECT_TRUE(NearColour(square.At(1000, y), kBlue)) << std::hex << square.At(1000, y);
        }
    }

    HBITMAP cell = LoadCanvasPictureFile(path.c_str(), ThumbnailCanvas(128));
    ASSERT_NE(cell, nullptr);
    const TopDownPixels thumbnail = SquareOf(cell);
    ASSERT_EQ(thumbnail.width, 128);
    EXPECT_EQ(thumbnail.At(64, 4) & 0xFFFFFF, 0xFFFFFFu) << "white above";
    EXPECT_TRUE(NearColour(thumbnail.At(20, 64) | 0xFF000000u, kRed)) << std::hex << thumbnail.At(20, 64);
    EXPECT_TRUE(NearColour(thumbnail.At(108, 64) | 0xFF000000u, kBlue)) << std::hex << thumbnail.At(108, 64);
}

// A JPEG XR photo shows through the JPEG XR codec, in its colour.
TEST_F(CodecPictureTest, AJpegXrPictureIsDecodedThroughItsCodec) {
    const std::vector<uint8_t>& jxr = JpegXrFile48x40();
    const std::wstring path = m_folder / L"green.jxr";
    ASSERT_TRUE(WriteFileBytes(path, jxr));
    const std::optional<PictureSize> size = DecoderFrameSize(path.c_str());
    if (!size.has_value()) GTEST_SKIP() << "no JPEG XR codec is installed";
    EXPECT_EQ(size->width, 48u);
    EXPECT_EQ(size->height, 40u);

    for (int mode : {kAspectKeep, kAspectKeepAndStretch}) {
        SCOPED_TRACE(mode);
        const TopDownPixels square = SquareOf(LoadTexturePictureFile(path.c_str(), mode));
        ASSERT_EQ(square.width, kTextureSide);
        EXPECT_TRUE(NearColour(square.At(512, 512), kCodecPictureColour)) << std::hex << square.At(512, 512);
        // 48 x 40 kept: 1024 x 853, grey above; stretched: the whole square.
        EXPECT_EQ(square.At(512, 20) == kGrey, mode == kAspectKeep) << std::hex << square.At(512, 20);
    }
}

// Formats for which no codec is installed (under Wine: WebP, HEIC, AVIF) are no picture to show:
// from a file nothing, from memory the plain grey square. Where the system has their codec they
// show like any picture.
TEST_F(CodecPictureTest, PicturesThatNoInstalledCodecDecodesGiveNothing) {
    const struct {
        const wchar_t* name;
        const std::vector<uint8_t>& bytes;
    } cases[] = {
        {L"photo.webp", WebpFile48x40()},
        {L"photo.heic", HeicFile48x40()},
        {L"photo.avif", AvifFile48x40()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::wstring path = m_folder / c.name;
        ASSERT_TRUE(WriteFileBytes(path, c.bytes));
        const bool codecInstalled = DecoderFrameSize(c.bytes.data(), c.bytes.size()).has_value();
        if (RunsUnderWine()) {
            EXPECT_FALSE(codecInstalled) << "Wine 8 has no codec for this format; now it has";
        }
        const TopDownPixels square = SquareOf(LoadTexturePictureFile(path.c_str(), kAspectKeep));
        const TopDownPixels fromMemory =
            SquareOf(LoadTexturePictureMemory(c.bytes.data(), c.bytes.size(), kAspectKeep));
        ASSERT_EQ(fromMemory.width, kTextureSide);
        if (codecInstalled) {
            ASSERT_EQ(square.width, kTextureSide);
            EXPECT_TRUE(NearColour(square.At(512, 512), kCodecPictureColour, 12)) << std::hex << square.At(512, 512);
            EXPECT_TRUE(NearColour(fromMemory.At(512, 512), kCodecPictureColour, 12));
        } else {
            EXPECT_TRUE(square.pixels.empty()) << "a picture that does not decode gives no texture";
            EXPECT_EQ(fromMemory.At(512, 512), kGrey);
            EXPECT_EQ(LoadCanvasPictureFile(path.c_str(), ThumbnailCanvas(128)), nullptr);
        }
    }
}

// Content that a codec's signature claims but that breaks its format, and a DDS header claiming
// 60000 x 60000 pixels (14.4 GB decoded) over a few bytes, which Wine's decoder would allocate
// (1.4 GB at the peak) when asked for its first frame: none is decoded, and the process's memory
// does not rise by anything like the claimed size.
TEST_F(CodecPictureTest, BrokenOrHugeCodecPicturesAreRefused) {
    // A DDS header of a pixel format no decoder knows (FourCC "ZZZZ").
    std::vector<uint8_t> broken = DdsFile(64, 48, HalvesPixels(64, 48));
    const uint8_t unknownFormat[] = {0x04, 0, 0, 0, 'Z', 'Z', 'Z', 'Z'};
    std::copy(std::begin(unknownFormat), std::end(unknownFormat), broken.begin() + 80);
    const struct {
        const wchar_t* name;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {L"broken.dds", broken},
        {L"huge.dds", DdsFile(8, 8, HalvesPixels(8, 8), 60000, 60000)},
        {L"cut.jxr", std::vector<uint8_t>(JpegXrFile48x40().begin(), JpegXrFile48x40().begin() + 40)},
    };
    const MemoryUse before = CurrentMemoryUse();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::wstring path = m_folder / c.name;
        ASSERT_TRUE(WriteFileBytes(path, c.bytes));
        EXPECT_EQ(LoadTexturePictureFile(path.c_str(), kAspectKeep), nullptr);
        EXPECT_EQ(LoadCanvasPictureFile(path.c_str(), ThumbnailCanvas(256)), nullptr);
        const TopDownPixels fromMemory =
            SquareOf(LoadTexturePictureMemory(c.bytes.data(), c.bytes.size(), kAspectKeep));
        ASSERT_EQ(fromMemory.width, kTextureSide);
        EXPECT_EQ(fromMemory.At(512, 512), kGrey);
    }
    const uint64_t rise = PeakRiseSince(before);
    EXPECT_LT(rise, 4 * kMaxDecodedPixels) << "peak rose by " << rise / 1000000 << " MB";
}

// The orientation a decoder's metadata states: a TIFF's EXIF orientation, as WIC's TIFF codec
// reads it. A header the program reads keeps its own orientation; only content of a format the
// program does not read takes the decoder's.
TEST_F(CodecPictureTest, TheDecodersOrientationCountsForContentTheProgramDoesNotRead) {
    for (uint32_t orientation : {1u, 3u, 6u, 8u}) {
        SCOPED_TRACE(orientation);
        const std::vector<uint8_t> tiff = MakeRgbaTiff(
            60, 40, [](int, int) { return 0xFF808080u; }, orientation);
        const std::optional<DecoderFrame> frame = DescribeDecoderFrame(tiff.data(), tiff.size());
        ASSERT_TRUE(frame.has_value());
        EXPECT_EQ(frame->size.width, 60u);
        EXPECT_EQ(frame->size.height, 40u);
        EXPECT_EQ(frame->orientation, std::optional<int>(static_cast<int>(orientation)));

        PictureHeader unread;  // content of a format the program does not read
        const PictureHeader settledUnread = SettleHeaderSize(unread, tiff.data(), tiff.size());
        ASSERT_TRUE(settledUnread.IsSized());
        EXPECT_EQ(settledUnread.orientation, static_cast<int>(orientation));
        EXPECT_EQ(settledUnread.UprightWidth(), OrientationSwapsSides(static_cast<int>(orientation)) ? 40u : 60u);

        PictureHeader readOpen;  // a TIFF whose header left the size open but told its orientation
        readOpen.format = PictureFormat::kTiff;
        readOpen.orientation = 2;
        EXPECT_EQ(SettleHeaderSize(readOpen, tiff.data(), tiff.size()).orientation, 2);
    }
    // Without metadata the decoder states none, and the header's orientation stands.
    const std::vector<uint8_t> dds = DdsFile(40, 40, HalvesPixels(40, 40));
    const std::optional<DecoderFrame> plain = DescribeDecoderFrame(dds.data(), dds.size());
    ASSERT_TRUE(plain.has_value());
    EXPECT_FALSE(plain->orientation.has_value());
    PictureHeader unreadTurned;
    unreadTurned.orientation = 6;
    EXPECT_EQ(SettleHeaderSize(unreadTurned, dds.data(), dds.size()).orientation, 6);
}

}  // namespace
