// Pictures whose header leaves the size open are sized by their decoder before any pixels are
// decoded, and decoded only within the budget.

#include "imaging/decoder_frame_size.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "bad_pictures.h"
#include "common/test_files.h"
#include "imaging/decoding_budget.h"
#include "imaging/picture_holder.h"
#include "imaging/texture_picture.h"
#include "imaging/texture_square.h"
#include "imaging_test_support.h"

namespace {

PictureHeader HeaderOf(const std::vector<uint8_t>& bytes) { return ReadPictureHeader(bytes.data(), bytes.size()); }

// The decoder tells the size of a picture whose header left it open, from the file and from
// memory; the header keeps its orientation. (Icons, whose first icon the header reader sizes
// itself, stand for such pictures here.)
TEST(DecoderFrameSizeTest, TheDecoderSizesWhatTheHeaderLeftOpen) {
    TestFolder folder(L"decoder_frame_size_icon");
    const std::vector<uint8_t> icon = IconFile(48, 0xFFE00000);
    const std::wstring path = folder / L"red.ico";
    ASSERT_TRUE(WriteFileBytes(path, icon));
    ASSERT_EQ(HeaderOf(icon).verdict, HeaderVerdict::kSized);

    for (const std::optional<PictureSize>& size :
         {DecoderFrameSize(path.c_str()), DecoderFrameSize(icon.data(), icon.size())}) {
        ASSERT_TRUE(size.has_value());
        EXPECT_EQ(size->width, 48u);
        EXPECT_EQ(size->height, 48u);
    }
    PictureHeader open;
    open.orientation = 6;
    for (const PictureHeader& settled :
         {SettleHeaderSize(open, path.c_str()), SettleHeaderSize(open, icon.data(), icon.size())}) {
        EXPECT_EQ(settled.verdict, HeaderVerdict::kSized);
        EXPECT_EQ(settled.width, 48u);
        EXPECT_EQ(settled.height, 48u);
        EXPECT_EQ(settled.orientation, 6);
    }

    // And the icon shows like any picture.
    PictureHolder holder;
    ASSERT_TRUE(holder.LoadFile(path.c_str()));
    EXPECT_EQ(holder.Width(), 48u);
    HBITMAP texture = LoadTexturePictureFile(path.c_str(), kAspectKeep);
    const TopDownPixels pixels = ReadTopDownPixels(texture);
    DeleteObject(texture);
    ASSERT_EQ(pixels.width, kTextureSide);
    EXPECT_EQ(pixels.At(512, 512), 0xFFE00000u);
}

// What no decoder sizes is no picture; a header that states its size, or that is no picture,
// is kept as it is.
TEST(DecoderFrameSizeTest, WhatTheDecoderCannotSizeIsNoPicture) {
    const std::vector<uint8_t> jpeg = EncodePixels(40, 30, std::vector<uint32_t>(40 * 30, 0xFF336699), L"image/jpeg");
    const std::string text = "This is a text file, not a picture.\r\n";
    const struct {
        const char* what;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"JPEG whose height a DNL segment should set", JpegStatingSize(jpeg, 40, 0)},
        {"JPEG start marker alone", {0xFF, 0xD8}},
        {"JPEG scan before any frame", {0xFF, 0xD8, 0xFF, 0xDA, 0x00, 0x02, 0xFF, 0xD9}},
        {"text", std::vector<uint8_t>(text.begin(), text.end())},
        {"zero bytes", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const PictureHeader header = HeaderOf(c.bytes);
        ASSERT_EQ(header.verdict, HeaderVerdict::kUndecided);
        EXPECT_FALSE(DecoderFrameSize(c.bytes.data(), c.bytes.size()).has_value());
        EXPECT_EQ(SettleHeaderSize(header, c.bytes.data(), c.bytes.size()).verdict, HeaderVerdict::kNotAPicture);
    }

    // The bad pictures whose header leaves the size open end up refused before decoding.
    for (const BadPicture& bad : BadPictures()) {
        const PictureHeader header = HeaderOf(bad.bytes);
        if (header.verdict != HeaderVerdict::kUndecided) continue;
        SCOPED_TRACE(bad.what);
        EXPECT_FALSE(MayDecode(SettleHeaderSize(header, bad.bytes.data(), bad.bytes.size())));
    }

    const PictureHeader sized = HeaderOf(jpeg);
    ASSERT_TRUE(sized.IsSized());
    const PictureHeader kept = SettleHeaderSize(sized, jpeg.data(), jpeg.size());
    EXPECT_EQ(kept.verdict, HeaderVerdict::kSized);
    EXPECT_EQ(kept.width, 40u);
    EXPECT_EQ(kept.height, 30u);
    const PictureHeader noPicture{HeaderVerdict::kNotAPicture, PictureFormat::kBmp, 0, 0};
    EXPECT_EQ(SettleHeaderSize(noPicture, jpeg.data(), jpeg.size()).verdict, HeaderVerdict::kNotAPicture)
        << "a header that is no picture is not asked about";
}

// Asking the decoder may decode the whole picture (under Wine it does): the question waits while
// a large picture is decoded elsewhere.
TEST(DecoderFrameSizeTest, TheQuestionTakesTheLargeDecodeTurn) {
    const std::vector<uint8_t> icon = IconFile(40, 0xFF00A000);
    std::unique_lock<std::mutex> largeDecode =
        TakeDecodeTurn({HeaderVerdict::kSized, PictureFormat::kJpeg, 12000, 9000});
    ASSERT_TRUE(largeDecode.owns_lock());
    std::atomic<bool> answered{false};
    PictureHeader settled;
    std::thread asking([&] {
        settled = SettleHeaderSize(PictureHeader{}, icon.data(), icon.size());
        answered = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_FALSE(answered.load()) << "the question did not wait for the large decode";
    largeDecode.unlock();
    asking.join();
    EXPECT_EQ(settled.verdict, HeaderVerdict::kSized);
    EXPECT_EQ(settled.width, 40u);
}

}  // namespace
