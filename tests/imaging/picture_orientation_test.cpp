#include "imaging/picture_orientation.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(PictureOrientationTest, TagValuesOutsideOneToEightShowThePictureAsStored) {
    for (uint32_t value : {0u, 9u, 255u, 0x0106u, 0xFFFFu}) EXPECT_EQ(OrientationFromTag(value), 1) << value;
    for (uint32_t value = 1; value <= 8; ++value) EXPECT_EQ(OrientationFromTag(value), static_cast<int>(value));
}

TEST(PictureOrientationTest, QuarterTurnsAndDiagonalMirrorsSwapTheSides) {
    for (int orientation = 1; orientation <= 8; ++orientation) {
        SCOPED_TRACE(orientation);
        const PictureSize size = OrientedSize(4000, 3000, orientation);
        EXPECT_EQ(OrientationSwapsSides(orientation), orientation >= 5);
        EXPECT_EQ(size.width, orientation >= 5 ? 3000u : 4000u);
        EXPECT_EQ(size.height, orientation >= 5 ? 4000u : 3000u);
    }
}

// Where the stored picture's corners show once it is upright, from the EXIF definition of each
// value (which sides its first row and first column show at).
TEST(PictureOrientationTest, StoredCornersLandWhereTheTagSays) {
    // A stored 4 x 3 picture: top-left (0, 0), top-right (3, 0), bottom-left (0, 2).
    const struct {
        int orientation;
        GridPoint topLeft, topRight, bottomLeft;  // where they show
    } cases[] = {
        {1, {0, 0}, {3, 0}, {0, 2}},  // first row at the top, first column at the left
        {2, {3, 0}, {0, 0}, {3, 2}},  // first row at the top, first column at the right
        {3, {3, 2}, {0, 2}, {3, 0}},  // first row at the bottom, first column at the right
        {4, {0, 2}, {3, 2}, {0, 0}},  // first row at the bottom, first column at the left
        {5, {0, 0}, {0, 3}, {2, 0}},  // first row at the left, first column at the top
        {6, {2, 0}, {2, 3}, {0, 0}},  // first row at the right, first column at the top
        {7, {2, 3}, {2, 0}, {0, 3}},  // first row at the right, first column at the bottom
        {8, {0, 3}, {0, 0}, {2, 3}},  // first row at the left, first column at the bottom
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.orientation);
        const auto expectAt = [&](int x, int y, GridPoint expected) {
            const GridPoint shown = ShownPoint(x, y, 4, 3, c.orientation);
            EXPECT_EQ(shown.x, expected.x) << x << ", " << y;
            EXPECT_EQ(shown.y, expected.y) << x << ", " << y;
        };
        expectAt(0, 0, c.topLeft);
        expectAt(3, 0, c.topRight);
        expectAt(0, 2, c.bottomLeft);
    }
}

// A rectangle of the canvas given as stored turns into exactly the shown rectangle: every corner
// pixel of the stored rectangle lands on a corner pixel of the shown one.
TEST(PictureOrientationTest, StoredPlacementTurnsIntoTheShownPlacement) {
    constexpr int kSide = 1024;
    const TexturePlacement shownPlacements[] = {
        {0, 127, 1024, 768},    // a landscape photo fitted
        {-170, 0, 1365, 1024},  // filled, overhanging left and right
        {256, 0, 512, 1024},   {0, -512, 1024, 2048}, {3, 5, 10, 20},
    };
    for (int orientation = 1; orientation <= 8; ++orientation) {
        for (const TexturePlacement& shown : shownPlacements) {
            SCOPED_TRACE(std::to_string(orientation) + ": " + std::to_string(shown.x) + ", " + std::to_string(shown.y) +
                         ", " + std::to_string(shown.width) + " x " + std::to_string(shown.height));
            const TexturePlacement stored = StoredPlacement(shown, orientation, kSide);
            EXPECT_EQ(int64_t{stored.width} * stored.height, int64_t{shown.width} * shown.height);
            int64_t left = INT64_MAX, top = INT64_MAX, right = INT64_MIN, bottom = INT64_MIN;
            for (int64_t x : {int64_t{stored.x}, int64_t{stored.x} + stored.width - 1}) {
                for (int64_t y : {int64_t{stored.y}, int64_t{stored.y} + stored.height - 1}) {
                    const GridPoint corner = ShownPoint(x, y, kSide, kSide, orientation);
                    left = std::min(left, corner.x), right = std::max(right, corner.x);
                    top = std::min(top, corner.y), bottom = std::max(bottom, corner.y);
                }
            }
            EXPECT_EQ(left, shown.x);
            EXPECT_EQ(top, shown.y);
            EXPECT_EQ(right, int64_t{shown.x} + shown.width - 1);
            EXPECT_EQ(bottom, int64_t{shown.y} + shown.height - 1);
        }
    }
}

}  // namespace
