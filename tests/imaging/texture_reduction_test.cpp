#include "imaging/texture_reduction.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kTop = 0xFF00FF00, kA = 0xFFFF0000, kB = 0xFF0000FF, kC = 0xFFFFFF00, kD = 0xFF00FFFF;

struct Square {
    std::vector<uint32_t> pixels;
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * kTextureSide + x]; }
};

// Feeds the rows that land on the square, in order, each made by colourAt(x, y) (premultiplied
// 0xAARRGGBB), and returns the square.
template <typename ColourAt>
Square Reduce(uint32_t width, uint32_t height, int mode, ColourAt colourAt) {
    TextureReduction reduction(width, height, mode);
    std::vector<uint32_t> row(reduction.ColumnCount());
    for (uint32_t y = reduction.FirstRow(); y < reduction.FirstRow() + reduction.RowCount(); ++y) {
        for (uint32_t i = 0; i < row.size(); ++i) row[i] = colourAt(reduction.FirstColumn() + i, y);
        reduction.AddRow(y, row.data());
    }
    Square square{reduction.TakeSquare()};
    EXPECT_EQ(square.pixels.size(), static_cast<size_t>(kTextureSide) * kTextureSide);
    return square;
}

// Four vertical stripes of 500 pixels below a top band of 100 rows, as in the texture tests.
uint32_t StripeAt(uint32_t x, uint32_t y) {
    if (y < 100) return kTop;
    const uint32_t stripes[] = {kA, kB, kC, kD};
    return stripes[x / 500];
}

int Channel(uint32_t pixel, int shift) { return static_cast<int>(pixel >> shift & 0xFF); }

struct Probe {
    int x, y;
    uint32_t expected;
};
void ExpectProbes(const Square& square, const std::vector<Probe>& probes) {
    for (const Probe& probe : probes) {
        SCOPED_TRACE(std::to_string(probe.x) + ", " + std::to_string(probe.y));
        EXPECT_EQ(square.At(probe.x, probe.y), probe.expected);
    }
}

TEST(TextureReductionTest, WidePictureFitsInsideInMode0) {
    TextureReduction reduction(2000, 1000, kAspectKeep);
    EXPECT_EQ(reduction.FirstColumn(), 0u);
    EXPECT_EQ(reduction.ColumnCount(), 2000u);
    EXPECT_EQ(reduction.FirstRow(), 0u);
    EXPECT_EQ(reduction.RowCount(), 1000u);
    // Drawn at 1024 x 512 from y 256: the top band covers rows 256..306, each stripe 256 columns.
    const Square square = Reduce(2000, 1000, kAspectKeep, StripeAt);
    ExpectProbes(square, {{512, 100, kTextureBackground},
                          {10, 255, kTextureBackground},
                          {0, 256, kTop},
                          {1023, 305, kTop},
                          {128, 500, kA},
                          {384, 500, kB},
                          {640, 500, kC},
                          {896, 760, kD},
                          {1023, 767, kD},
                          {512, 768, kTextureBackground},
                          {1000, 1020, kTextureBackground}});
    // Everything outside the picture's place is the exact grey.
    for (int y : {0, 255, 768, 1023}) {
        for (int x = 0; x < kTextureSide; ++x) ASSERT_EQ(square.At(x, y), kTextureBackground) << x << ", " << y;
    }
}

TEST(TextureReductionTest, WidePictureFillsAndOverhangsInMode1) {
    // Drawn at 2048 x 1024 from x -512: only the picture's columns 500..1499 land on the square,
    // and only those are asked for.
    TextureReduction reduction(2000, 1000, kAspectKeepAndStretch);
    EXPECT_EQ(reduction.FirstColumn(), 500u);
    EXPECT_EQ(reduction.ColumnCount(), 1000u);
    EXPECT_EQ(reduction.FirstRow(), 0u);
    EXPECT_EQ(reduction.RowCount(), 1000u);
    const Square square = Reduce(2000, 1000, kAspectKeepAndStretch, StripeAt);
    ExpectProbes(square,
                 {{0, 0, kTop}, {1023, 90, kTop}, {0, 200, kB}, {511, 1023, kB}, {512, 200, kC}, {1023, 1023, kC}});
}

TEST(TextureReductionTest, TallPictureOverhangsTopAndBottomInMode1) {
    // 1000 x 4000 fills at 1024 x 4096 from y -1536: picture rows 1500..2499 land on the square.
    TextureReduction reduction(1000, 4000, kAspectKeepAndStretch);
    EXPECT_EQ(reduction.FirstColumn(), 0u);
    EXPECT_EQ(reduction.ColumnCount(), 1000u);
    EXPECT_EQ(reduction.FirstRow(), 1500u);
    EXPECT_EQ(reduction.RowCount(), 1000u);
    const Square square =
        Reduce(1000, 4000, kAspectKeepAndStretch, [](uint32_t, uint32_t y) { return y < 2000 ? kA : kB; });
    ExpectProbes(square, {{0, 0, kA}, {1023, 511, kA}, {0, 512, kB}, {1023, 1023, kB}});
}

// Each square pixel is the mean of the picture area it covers: a fine pattern comes out as its
// even mean, never as moire.
TEST(TextureReductionTest, AveragesTheAreaEachPixelCovers) {
    const struct {
        const char* what;
        uint32_t side;
        uint32_t (*colourAt)(uint32_t, uint32_t);
        int expectedGrey;
    } cases[] = {
        {"1-pixel checkerboard reduced 8 x", 8192,
         [](uint32_t x, uint32_t y) { return (x + y) % 2 ? 0xFFFFFFFFu : 0xFF000000u; }, 128},
        {"2 x 2 blocks of 0, 100, 200, 100 reduced 2 x", 2048,
         [](uint32_t x, uint32_t y) {
             const uint32_t level = (x % 2 + y % 2) * 100;
             return 0xFF000000u | level << 16 | level << 8 | level;
         },
         100},
        {"stripes of 3 pixels, 0 and 255, reduced 6 x", 6144,
         [](uint32_t x, uint32_t) { return (x / 3) % 2 ? 0xFFFFFFFFu : 0xFF000000u; }, 128},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Square square = Reduce(c.side, c.side, kAspectKeep, c.colourAt);
        int lowest = 255, highest = 0;
        for (uint32_t pixel : square.pixels) {
            ASSERT_EQ(pixel >> 24, 0xFFu);
            for (int shift : {0, 8, 16}) {
                lowest = std::min(lowest, Channel(pixel, shift));
                highest = std::max(highest, Channel(pixel, shift));
            }
        }
        EXPECT_GE(lowest, c.expectedGrey - 1);
        EXPECT_LE(highest, c.expectedGrey);
    }
}

// A picture smaller than its place is enlarged: each square pixel shows the picture pixel under
// it, and the picture reaches every edge of the square.
TEST(TextureReductionTest, SmallPictureIsEnlargedToFillTheSquare) {
    const auto quadrantAt = [](uint32_t x, uint32_t y) { return y < 250 ? (x < 250 ? kA : kB) : (x < 250 ? kC : kD); };
    for (int mode : {kAspectKeep, kAspectKeepAndStretch}) {
        SCOPED_TRACE(mode);
        const Square square = Reduce(500, 500, mode, quadrantAt);
        size_t exact = 0, checked = 0;
        for (int y = 0; y < kTextureSide; ++y) {
            for (int x = 0; x < kTextureSide; ++x) {
                if (std::abs(x - 512) <= 1 || std::abs(y - 512) <= 1) continue;  // the blended border
                ++checked;
                exact += square.At(x, y) == quadrantAt(x * 500 / 1024, y * 500 / 1024);
            }
        }
        EXPECT_EQ(exact, checked);
    }
}

// The thinnest pictures: in mode 0 a 1-pixel line has no height on the square and leaves it grey;
// in mode 1 the middle of the line fills the square.
TEST(TextureReductionTest, OnePixelLines) {
    const auto rowColour = [](uint32_t, uint32_t y) { return y < 1500 ? kA : kB; };
    const auto columnColour = [](uint32_t x, uint32_t) { return x < 1500 ? kC : kD; };

    const Square tallInMode0 = Reduce(1, 3000, kAspectKeep, rowColour);
    const Square wideInMode0 = Reduce(3000, 1, kAspectKeep, columnColour);
    for (const Square* square : {&tallInMode0, &wideInMode0}) {
        for (uint32_t pixel : square->pixels) ASSERT_EQ(pixel, kTextureBackground);
    }

    // 1 x 3000 fills at 1024 x 3072000: the square shows rows 1499 (top half) and 1500.
    TextureReduction tall(1, 3000, kAspectKeepAndStretch);
    EXPECT_EQ(tall.FirstRow(), 1499u);
    EXPECT_EQ(tall.RowCount(), 2u);
    const Square tallInMode1 = Reduce(1, 3000, kAspectKeepAndStretch, rowColour);
    ExpectProbes(tallInMode1, {{0, 0, kA}, {1023, 511, kA}, {0, 512, kB}, {1023, 1023, kB}});

    TextureReduction wide(3000, 1, kAspectKeepAndStretch);
    EXPECT_EQ(wide.FirstColumn(), 1499u);
    EXPECT_EQ(wide.ColumnCount(), 2u);
    const Square wideInMode1 = Reduce(3000, 1, kAspectKeepAndStretch, columnColour);
    ExpectProbes(wideInMode1, {{0, 0, kC}, {511, 1023, kC}, {512, 0, kD}, {1023, 1023, kD}});
}

// The picture lies over the translucent grey as GDI+ draws it: transparent parts show the grey
// exactly, opaque parts the picture exactly, translucent parts a mix of both.
TEST(TextureReductionTest, TranslucentPicturesLieOverTheGrey) {
    const Square transparent = Reduce(2048, 2048, kAspectKeep, [](uint32_t, uint32_t) { return 0u; });
    for (uint32_t pixel : transparent.pixels) ASSERT_EQ(pixel, kTextureBackground);

    // Premultiplied white at alpha 0x80.
    const Square halfWhite = Reduce(2048, 2048, kAspectKeep, [](uint32_t, uint32_t) { return 0x80808080u; });
    const uint32_t pixel = halfWhite.At(300, 700);
    for (uint32_t other : halfWhite.pixels) ASSERT_EQ(other, pixel);
    // Alpha: 0x80 + 0x42 * (1 - 0x80 / 255) = 161; colour: (128 + 0x9B * 0x42 / 255 * (1 - 0x80 / 255)) / (161 / 255).
    EXPECT_EQ(pixel >> 24, 161u);
    for (int shift : {0, 8, 16}) EXPECT_NEAR(Channel(pixel, shift), 234, 1);
}

TEST(TextureReductionTest, RowsOutOfOrderOrOutsideAreIgnored) {
    const uint32_t white = 0xFFFFFFFF;
    std::vector<uint32_t> row(2048, white);
    TextureReduction reduction(2048, 2048, kAspectKeep);
    reduction.AddRow(2048, row.data());  // past the last row
    reduction.AddRow(0, nullptr);
    for (uint32_t y = 0; y < 1024; ++y) {
        reduction.AddRow(y, row.data());
        reduction.AddRow(y, row.data());  // a repeated row is not counted twice
        if (y > 0) reduction.AddRow(y - 1, row.data());
    }
    // Picture rows 0..1023 fill square rows 0..511; the rows never fed leave the rest grey.
    const Square square{reduction.TakeSquare()};
    ExpectProbes(square,
                 {{0, 0, white}, {1023, 511, white}, {0, 512, kTextureBackground}, {1023, 1023, kTextureBackground}});
}

TEST(TextureReductionTest, PictureWithoutSizeGivesThePlainGreySquare) {
    for (auto size : {std::make_pair(0u, 100u), std::make_pair(100u, 0u), std::make_pair(0u, 0u)}) {
        TextureReduction reduction(size.first, size.second, kAspectKeep);
        EXPECT_EQ(reduction.ColumnCount(), 0u);
        EXPECT_EQ(reduction.RowCount(), 0u);
        const std::vector<uint32_t> square = reduction.TakeSquare();
        ASSERT_EQ(square.size(), static_cast<size_t>(kTextureSide) * kTextureSide);
        for (uint32_t pixel : square) ASSERT_EQ(pixel, kTextureBackground);
    }
}

}  // namespace
