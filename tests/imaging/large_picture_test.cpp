// Very large photos on the texture square: decoded and reduced row by row, with no second
// full-size copy of the picture.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "generated_pictures.h"
#include "common/message_box.h"
#include "common/process_memory.h"
#include "common/test_files.h"
#include "imaging/canvas_picture.h"
#include "imaging/decoding_budget.h"
#include "imaging/picture_canvas.h"
#include "imaging/picture_holder.h"
#include "imaging/texture_picture.h"
#include "imaging/texture_square.h"
#include "imaging_test_support.h"

namespace {

constexpr uint32_t kRed = 0xFF0000, kBlue = 0x0000FF, kGreen = 0x00FF00, kYellow = 0xFFFF00;

// GdipCreateHBITMAPFromBitmap hands out premultiplied pixels: the grey arrives as 0x42282828.
constexpr uint32_t kGrey = 0x42282828u;

// The colours after the round trip through the JPEG's YCbCr samples are within a few levels.
::testing::AssertionResult NearColour(uint32_t actual, uint32_t expectedRgb) {
    if (actual >> 24 != 0xFF) return ::testing::AssertionFailure() << std::hex << actual << " is not opaque";
    for (int shift : {0, 8, 16}) {
        const int difference = static_cast<int>(actual >> shift & 0xFF) - static_cast<int>(expectedRgb >> shift & 0xFF);
        if (std::abs(difference) > 4) {
            return ::testing::AssertionFailure() << std::hex << actual << " is not near " << expectedRgb;
        }
    }
    return ::testing::AssertionSuccess();
}

struct Probe {
    int x, y;
    uint32_t rgb;  // kGrey: the grey background
};

void ExpectSquare(HBITMAP texture, const std::vector<Probe>& probes) {
    ASSERT_NE(texture, nullptr);
    const TopDownPixels pixels = ReadTopDownPixels(texture);
    ASSERT_EQ(pixels.width, kTextureSide);
    ASSERT_EQ(pixels.height, kTextureSide);
    for (const Probe& probe : probes) {
        SCOPED_TRACE(std::to_string(probe.x) + ", " + std::to_string(probe.y));
        if (probe.rgb == kGrey) {
            EXPECT_EQ(pixels.At(probe.x, probe.y), kGrey);
        } else {
            EXPECT_TRUE(NearColour(pixels.At(probe.x, probe.y), probe.rgb));
        }
    }
}

// A photo of width x height: a green band over the top tenth, below it red on the left half
// and blue on the right half.
std::vector<uint8_t> BandedPhoto(int width, int height) {
    return MakeBlockJpeg(width, height, [width, height](int blockX, int blockY) {
        if (blockY * 8 < height / 10) return kGreen;
        return blockX * 8 < width / 2 ? kRed : kBlue;
    });
}

// A 108-megapixel phone photo, 12000 x 9000, lands on the square, and its
// decode holds no more than one full-size copy: the process's peak working set grows by less
// than 4 bytes a pixel (the old way held the codec's copy, GDI+'s copy and a 32-bit copy for
// drawing, 10 bytes a pixel and more).
TEST(LargePictureTest, PhonePhotoOf108MegapixelsIsShownWithOneFullSizeCopy) {
    constexpr int kWidth = 12000, kHeight = 9000;
    TestFolder folder(L"large_picture");
    const std::wstring path = folder / L"phone_108mp.jpg";
    ASSERT_TRUE(WriteFileBytes(path, BandedPhoto(kWidth, kHeight)));
    const uint64_t fullSizeCopy = 4ull * kWidth * kHeight;

    const MemoryUse before = CurrentMemoryUse();
    ASSERT_GT(before.workingSet, 0u);
    HBITMAP fitted = LoadTexturePictureFile(path.c_str(), kAspectKeep);
    const MemoryUse after = CurrentMemoryUse();
    const uint64_t rise = after.peakWorkingSet - std::min(after.peakWorkingSet, before.workingSet);
    EXPECT_LT(rise, fullSizeCopy) << "peak rose by " << rise / 1000000 << " MB";
    if (RunsUnderWine()) {
        // Wine's codec decodes the whole picture first (3 bytes a pixel): the measurement sees it.
        EXPECT_GT(rise, 2ull * kWidth * kHeight) << "peak rose by " << rise / 1000000 << " MB";
    }
    EXPECT_LT(CurrentMemoryUse().workingSet, before.workingSet + 64'000'000) << "the decode's memory is given back";

    // Fitted: 1024 x 768 from y 128; the green band covers rows 128..204.
    ExpectSquare(fitted, {{512, 100, kGrey},
                          {512, 127, kGrey},
                          {512, 140, kGreen},
                          {256, 500, kRed},
                          {768, 500, kBlue},
                          {0, 895, kRed},
                          {1023, 895, kBlue},
                          {512, 896, kGrey}});
    DeleteObject(fitted);
}

// A picture of 24 megapixels (over what GDI+ decodes whole) in both aspect modes; from memory it
// gives the same square as from its file; a stitched panorama shows its middle when it fills the
// square.
TEST(LargePictureTest, BothModesMemoryAndPanoramasTakeTheReducingWay) {
    TestFolder folder(L"large_picture_memory");
    const std::vector<uint8_t> photo = BandedPhoto(6000, 4000);
    const std::wstring path = folder / L"photo_24mp.jpg";
    ASSERT_TRUE(WriteFileBytes(path, photo));
    HBITMAP fromFile = LoadTexturePictureFile(path.c_str(), kAspectKeep);
    HBITMAP fromMemory = LoadTexturePictureMemory(photo.data(), photo.size(), kAspectKeep);
    ASSERT_NE(fromFile, nullptr);
    ASSERT_NE(fromMemory, nullptr);
    EXPECT_EQ(ReadTopDownPixels(fromMemory).pixels, ReadTopDownPixels(fromFile).pixels);
    // Fitted: 1024 x 682 from y 170; the band covers rows 170..237.
    ExpectSquare(fromFile, {{512, 169, kGrey},
                            {512, 180, kGreen},
                            {256, 500, kRed},
                            {768, 500, kBlue},
                            {0, 851, kRed},
                            {512, 852, kGrey}});
    DeleteObject(fromFile);
    DeleteObject(fromMemory);

    // Filled: 1536 x 1024 from x -256; the band covers rows 0..101, red turns to blue at 512.
    HBITMAP filled = LoadTexturePictureFile(path.c_str(), kAspectKeepAndStretch);
    ExpectSquare(filled, {{0, 0, kGreen},
                          {1023, 90, kGreen},
                          {0, 500, kRed},
                          {510, 1023, kRed},
                          {514, 500, kBlue},
                          {1023, 1023, kBlue}});
    DeleteObject(filled);

    // 30000 x 6000, filled: 5120 x 1024 from x -2048, so the square shows the picture's columns
    // 12000..17999, where red turns to blue at 15000.
    const std::wstring panoramaPath = folder / L"panorama_30000x6000.jpg";
    ASSERT_TRUE(WriteFileBytes(panoramaPath, MakeBlockJpeg(30000, 6000, [](int blockX, int) {
                                   return blockX * 8 < 15000 ? kYellow : kBlue;
                               })));
    HBITMAP panorama = LoadTexturePictureFile(panoramaPath.c_str(), kAspectKeepAndStretch);
    ExpectSquare(panorama, {{0, 0, kYellow}, {509, 1023, kYellow}, {514, 0, kBlue}, {1023, 1023, kBlue}});
    DeleteObject(panorama);
}

// A large picture (decoded the reducing way) and a small one of the same content (decoded whole
// by GDI+) give the same square, also where the picture is translucent: the large one lies over
// the grey exactly as GDI+ draws the small one. The TIFF's directory follows its 67 MB of picture
// data, so its header is found by seeking.
TEST(LargePictureTest, ReducedSquareLooksLikeTheWholeDecode) {
    TestFolder folder(L"large_picture_alike");
    const auto halves = [](int height) {
        return [height](int, int y) { return y < height / 2 ? 0x80FF0000u : 0xFF0000FFu; };  // translucent red
    };
    const struct {
        const char* what;
        std::vector<uint8_t> large, small;
        int mode;
        std::vector<std::pair<int, int>> probes;
    } cases[] = {
        {"translucent TIFF, fitted",
         MakeRgbaTiff(4200, 4000, halves(4000)),
         MakeRgbaTiff(420, 400, halves(400)),
         kAspectKeep,
         {{512, 250}, {512, 750}, {100, 100}, {900, 900}, {512, 10}, {512, 1015}}},
        {"JPEG photo, filled",
         BandedPhoto(6000, 4000),
         BandedPhoto(600, 400),
         kAspectKeepAndStretch,
         {{512, 40}, {256, 600}, {768, 600}, {5, 1020}, {1020, 1020}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::wstring largePath = folder / L"large", smallPath = folder / L"small";
        ASSERT_TRUE(WriteFileBytes(largePath, c.large));
        ASSERT_TRUE(WriteFileBytes(smallPath, c.small));
        HBITMAP large = LoadTexturePictureFile(largePath.c_str(), c.mode);
        HBITMAP small = LoadTexturePictureFile(smallPath.c_str(), c.mode);
        const TopDownPixels largePixels = ReadTopDownPixels(large), smallPixels = ReadTopDownPixels(small);
        DeleteObject(large);
        DeleteObject(small);
        ASSERT_EQ(largePixels.width, kTextureSide);
        ASSERT_EQ(smallPixels.width, kTextureSide);
        for (const auto& [x, y] : c.probes) {
            SCOPED_TRACE(std::to_string(x) + ", " + std::to_string(y));
            const uint32_t a = largePixels.At(x, y), b = smallPixels.At(x, y);
            for (int shift : {0, 8, 16, 24}) {
                EXPECT_NEAR(static_cast<int>(a >> shift & 0xFF), static_cast<int>(b >> shift & 0xFF), 2)
                    << std::hex << a << " against " << b;
            }
        }
    }
}

// The display workers and the main thread both load large pictures: a thread that has its own COM
// apartment keeps it, and a thread without one is left without one.
TEST(LargePictureTest, ThreadsKeepTheirComApartment) {
    const std::vector<uint8_t> photo = BandedPhoto(4200, 4000);  // just over what GDI+ decodes whole
    const struct {
        const char* what;
        bool joinsApartment;
    } cases[] = {{"thread in a single-threaded apartment", true}, {"thread outside COM", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        HRESULT joined = E_FAIL, afterwards = E_FAIL;
        HBITMAP texture = nullptr;
        std::thread thread([&] {
            if (c.joinsApartment) joined = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
            texture = LoadTexturePictureMemory(photo.data(), photo.size(), kAspectKeep);
            // S_FALSE: the thread is still in the apartment it had; S_OK: it had none.
            afterwards = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
            if (SUCCEEDED(afterwards)) CoUninitialize();
            if (c.joinsApartment && SUCCEEDED(joined)) CoUninitialize();
        });
        thread.join();
        if (c.joinsApartment) {
            ASSERT_EQ(joined, S_OK);
        }
        EXPECT_EQ(afterwards, c.joinsApartment ? S_FALSE : S_OK);
        ExpectSquare(texture, {{256, 500, kRed}, {768, 500, kBlue}});
        DeleteObject(texture);
    }
}

// The picture loader for dialogs and the acceptance test decodes large photos too, within the
// budget; a header over the budget still leaves it empty.
TEST(LargePictureTest, PictureHolderTakesLargePhotosWithinTheBudget) {
    TestFolder folder(L"large_picture_holder");
    const std::wstring photo = folder / L"photo_24mp.jpg";
    ASSERT_TRUE(WriteFileBytes(photo, BandedPhoto(6000, 4000)));
    const std::wstring hostile = folder / L"hostile.png";
    ASSERT_TRUE(WriteFileBytes(hostile, PngClaimingSize(60000, 60000)));

    PictureHolder holder;
    EXPECT_TRUE(holder.LoadFile(photo.c_str()));
    EXPECT_EQ(holder.Width(), 6000u);
    EXPECT_EQ(holder.Height(), 4000u);
    EXPECT_TRUE(holder.LoadFile(hostile.c_str()));
    EXPECT_EQ(holder.Image(), nullptr);
}

// A 5 KB JPEG whose frame header states 20000 x 16000 (320 megapixels, over the budget) behind
// one junk byte before its first table: decoders skip the junk and decode the stated size (under
// Wine 1.8 GB at the peak). Every way the program decodes a file refuses it without decoding it:
// texture squares from the file and from memory, the thumbnail cells of the picture selection
// list, and the picture loader behind the acceptance test of the folder scan and the dialogs.
// The process's peak working set stays below what one full-size copy of the largest picture the
// budget allows takes.
TEST(LargePictureTest, AJpegStatingTooMuchBehindJunkIsRefusedOnEveryRoute) {
    TestFolder folder(L"large_picture_junk");
    const std::vector<uint8_t> bytes = WithJunkBeforeFirstTable(SmallJpegStatingSize(20000, 16000));
    ASSERT_GT(bytes.size(), 1000u);
    ASSERT_LT(bytes.size(), 12000u);
    const std::wstring path = folder / L"stating_20000x16000.jpg";
    ASSERT_TRUE(WriteFileBytes(path, bytes));
    const uint64_t budgetCopy = 4 * kMaxDecodedPixels;

    const struct {
        const char* route;
        std::function<bool()> refuses;
    } routes[] = {
        {"texture square from the file",
         [&] {
             HBITMAP texture = LoadTexturePictureFile(path.c_str(), kAspectKeep);
             if (texture != nullptr) DeleteObject(texture);
             return texture == nullptr;
         }},
        {"texture square from memory",
         [&] {
             HBITMAP texture = LoadTexturePictureMemory(bytes.data(), bytes.size(), kAspectKeep);
             const TopDownPixels pixels = ReadTopDownPixels(texture);
             DeleteObject(texture);
             return !pixels.pixels.empty() && std::all_of(pixels.pixels.begin(), pixels.pixels.end(),
                                                          [](uint32_t pixel) { return pixel == kGrey; });
         }},
        {"thumbnail cell",
         [&] {
             HBITMAP cell = LoadCanvasPictureFile(path.c_str(), ThumbnailCanvas(256));
             if (cell != nullptr) DeleteObject(cell);
             return cell == nullptr;
         }},
        {"picture loader",
         [&] {
             PictureHolder holder;
             return holder.LoadFile(path.c_str()) && holder.Image() == nullptr && holder.Width() == 0;
         }},
    };
    for (const auto& route : routes) {
        SCOPED_TRACE(route.route);
        const MemoryUse before = CurrentMemoryUse();
        EXPECT_TRUE(route.refuses());
        const uint64_t rise = PeakRiseSince(before);
        EXPECT_LT(rise, budgetCopy) << "peak rose by " << rise / 1000000 << " MB";
    }
}

}  // namespace
