#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <vector>

#include "imaging/gdiplus_api.h"
#include "imaging/imaging_test_support.h"
#include "imaging/thumbnail_cell.h"
#include "imaging/thumbs_list_view.h"

namespace {

TEST(ThumbnailCellTest, PicturesAreFittedAndCentredInTheCell) {
    const struct {
        int cell, width, height;
        ThumbnailPlacement expected;
    } cases[] = {
        {128, 1000, 500, {0, 32, 128, 64}},
        {128, 500, 1000, {32, 0, 64, 128}},
        {128, 64, 64, {0, 0, 128, 128}},  // enlarged to the cell
        {256, 4000, 3000, {0, 32, 256, 192}},
        {16, 3, 1, {0, 5, 16, 5}},          // 16 / 3 * 1 = 5.33 -> 5, (16 - 5.33) / 2 = 5.33 -> 5
        {512, 1, 10000, {255, 0, 0, 512}},  // thinner than a pixel: nothing to draw across
        {128, 0, 500, {}},
        {0, 100, 100, {}},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(testing::Message() << row.cell << " " << row.width << "x" << row.height);
        const ThumbnailPlacement placement = PlaceInThumbnailCell(row.cell, row.width, row.height);
        EXPECT_EQ(placement.x, row.expected.x);
        EXPECT_EQ(placement.y, row.expected.y);
        EXPECT_EQ(placement.width, row.expected.width);
        EXPECT_EQ(placement.height, row.expected.height);
    }
}

TEST(ThumbnailCellTest, ComposedCellIsOpaqueWhiteAroundThePicture) {
    const GdiplusApi& api = Gdiplus();
    std::vector<uint32_t> pixels(100 * 300, 0xFF0000FFu);  // blue, 100 x 300
    GpBitmap* picture = nullptr;
    ASSERT_EQ(api.createBitmapFromScan0(100, 300, 400, kPixelFormat32bppArgb, reinterpret_cast<BYTE*>(pixels.data()),
                                        &picture),
              kGpOk);
    HBITMAP cell = ComposeThumbnailCell(AsImage(picture), 150);
    api.disposeImage(AsImage(picture));
    ASSERT_NE(cell, nullptr);
    const TopDownPixels composed = ReadTopDownPixels(cell);
    DeleteObject(cell);
    ASSERT_EQ(composed.width, 150);
    ASSERT_EQ(composed.height, 150);
    // 50 x 150 at x 50: white, opaque, on both sides.
    for (int y = 0; y < 150; y += 7) {
        SCOPED_TRACE(y);
        EXPECT_EQ(composed.At(10, y), 0xFFFFFFFFu);
        EXPECT_EQ(composed.At(140, y), 0xFFFFFFFFu);
        EXPECT_EQ(composed.At(75, y), 0xFF0000FFu);
    }
    EXPECT_EQ(ComposeThumbnailCell(nullptr, 128), nullptr);
}

}  // namespace
