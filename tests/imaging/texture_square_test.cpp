#include "imaging/texture_square.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(PlaceOnTextureSquare, ScaleOffsetAndTruncation) {
    const struct {
        int width, height, mode;
        TexturePlacement expected;
    } cases[] = {
        {2000, 1000, kAspectKeep, {0, 256, 1024, 512}},
        {2000, 1000, kAspectKeepAndStretch, {-512, 0, 2048, 1024}},
        {1000, 2000, kAspectKeep, {256, 0, 512, 1024}},
        {1000, 2000, kAspectKeepAndStretch, {0, -512, 1024, 2048}},
        {500, 500, kAspectKeep, {0, 0, 1024, 1024}},
        {500, 500, kAspectKeepAndStretch, {0, 0, 1024, 1024}},
        {1, 1, kAspectKeep, {0, 0, 1024, 1024}},
        // 4000 x 3000: fit gives 1024 x 768 at y 127 (the float scale 0.256 is a hair above, so
        // the offset 127.99997 truncates to 127); fill gives 1365 x 1024 at x -170.
        {4000, 3000, kAspectKeep, {0, 127, 1024, 768}},
        {4000, 3000, kAspectKeepAndStretch, {-170, 0, 1365, 1024}},
        // A line of pixels keeps a height of 0 after truncation: nothing is drawn.
        {4096, 1, kAspectKeep, {0, 511, 1024, 0}},
        {4096, 1, kAspectKeepAndStretch, {-2096640, 0, 4194304, 1024}},
        // Any mode but 0 fills.
        {2000, 1000, 7, {-512, 0, 2048, 1024}},
        {0, 1000, kAspectKeep, {0, 0, 0, 0}},
        {1000, -5, kAspectKeepAndStretch, {0, 0, 0, 0}},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(std::to_string(testCase.width) + " x " + std::to_string(testCase.height) + " mode " +
                     std::to_string(testCase.mode));
        const TexturePlacement placement = PlaceOnTextureSquare(testCase.width, testCase.height, testCase.mode);
        EXPECT_EQ(placement.x, testCase.expected.x);
        EXPECT_EQ(placement.y, testCase.expected.y);
        EXPECT_EQ(placement.width, testCase.expected.width);
        EXPECT_EQ(placement.height, testCase.expected.height);
    }
}

}  // namespace
