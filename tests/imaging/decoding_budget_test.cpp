#include "imaging/decoding_budget.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

namespace {

PictureHeader SizedHeader(uint32_t width, uint32_t height) {
    return {HeaderVerdict::kSized, PictureFormat::kJpeg, width, height};
}

TEST(DecodingBudgetTest, TakesRealPhotosAndRefusesHostileHeaders) {
    const struct {
        const char* what;
        uint32_t width, height;
        bool fits;
    } cases[] = {
        {"12-megapixel photo", 4000, 3000, true},
        {"108-megapixel phone photo", 12000, 9000, true},
        {"200-megapixel phone photo", 16320, 12240, true},
        {"stitched panorama", 30000, 6000, true},
        {"widest JPEG panorama", 65535, 4000, true},
        {"the whole budget", 16384, 16384, true},
        {"one row over the budget", 16384, 16385, false},
        {"hostile header", 60000, 60000, false},
        {"widest side", kMaxDecodedSide, 1000, true},
        {"over the widest side", kMaxDecodedSide + 1, 10, false},
        {"over the tallest side", 10, kMaxDecodedSide + 1, false},
        {"largest PNG side", 0x7FFFFFFF, 1, false},
        {"no width", 0, 100, false},
        {"no height", 100, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.what) + " " + std::to_string(c.width) + " x " + std::to_string(c.height));
        EXPECT_EQ(FitsDecodingBudget(c.width, c.height), c.fits);
        EXPECT_EQ(MayDecode(SizedHeader(c.width, c.height)), c.fits);
    }
    // A header that tells no size is decoded only once the decoder has told the size.
    EXPECT_FALSE(MayDecode(PictureHeader{}));
    EXPECT_FALSE(MayDecode({HeaderVerdict::kUndecided, PictureFormat::kJpeg, 0, 0})) << "a JPEG sized by DNL";
    EXPECT_FALSE(MayDecode({HeaderVerdict::kNotAPicture, PictureFormat::kBmp, 0, 0}));
}

TEST(DecodingBudgetTest, LargePicturesAndLargeFilesGoTheReducingWay) {
    const PictureHeader undecided{HeaderVerdict::kUndecided, PictureFormat::kJpeg, 0, 0};
    const PictureHeader noPicture{HeaderVerdict::kNotAPicture, PictureFormat::kPng, 0, 0};
    const uint64_t smallFile = 5'000'000;
    const struct {
        const char* what;
        PictureHeader header;
        uint64_t fileBytes;
        DecodeRoute route;
    } cases[] = {
        {"12-megapixel photo", SizedHeader(4000, 3000), smallFile, DecodeRoute::kWhole},
        {"largest whole picture", SizedHeader(4096, 4096), smallFile, DecodeRoute::kWhole},
        {"one row more", SizedHeader(4096, 4097), smallFile, DecodeRoute::kReducing},
        {"108-megapixel photo", SizedHeader(12000, 9000), smallFile, DecodeRoute::kReducing},
        {"small picture in a file too large to read", SizedHeader(40, 40), kMaxPictureFileBytes + 1,
         DecodeRoute::kReducing},
        {"small picture in the largest file read whole", SizedHeader(40, 40), kMaxPictureFileBytes,
         DecodeRoute::kWhole},
        {"hostile header", SizedHeader(60000, 60000), smallFile, DecodeRoute::kRefuse},
        {"no picture", noPicture, smallFile, DecodeRoute::kRefuse},
        {"size left open", undecided, smallFile, DecodeRoute::kRefuse},
        {"size left open, file too large to read", undecided, kMaxPictureFileBytes + 1, DecodeRoute::kRefuse},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(ChooseDecodeRoute(c.header, c.fileBytes), c.route);
    }
}

// Two large decodes never overlap, nor does a large one with a decode whose size is still open
// (asking the decoder for it may decode the whole picture); small ones and pictures that are
// not decoded at all never wait.
TEST(DecodingBudgetTest, LargeDecodesTakeTurns) {
    const PictureHeader large = SizedHeader(12000, 9000);
    const PictureHeader small = SizedHeader(4000, 3000);
    const PictureHeader sizeOpen{HeaderVerdict::kUndecided, PictureFormat::kJpeg, 0, 0};
    const PictureHeader noPicture{HeaderVerdict::kNotAPicture, PictureFormat::kPng, 0, 0};
    for (const PictureHeader& waiting : {large, sizeOpen}) {
        SCOPED_TRACE(waiting.IsSized() ? "large picture" : "size open");
        std::unique_lock<std::mutex> first = TakeDecodeTurn(large);
        ASSERT_TRUE(first.owns_lock());
        EXPECT_FALSE(TakeDecodeTurn(small).owns_lock()) << "a small picture takes no turn";
        EXPECT_FALSE(TakeDecodeTurn(noPicture).owns_lock()) << "no picture, no decode";

        std::atomic<bool> secondHasTurn{false};
        std::thread second([&] {
            const std::unique_lock<std::mutex> turn = TakeDecodeTurn(waiting);
            secondHasTurn = turn.owns_lock();
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        EXPECT_FALSE(secondHasTurn.load()) << "the second decode waits for the first";
        first.unlock();
        second.join();
        EXPECT_TRUE(secondHasTurn.load());
    }
}

}  // namespace
