#include "imaging/square_reduction.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/picture_fixtures.h"
#include "imaging/picture_canvas.h"
#include "imaging/thumbnail_cell.h"

namespace {

int Channel(uint32_t pixel, int shift) { return static_cast<int>(pixel >> shift & 0xFF); }

::testing::AssertionResult NearColour(uint32_t actual, uint32_t expected, int tolerance) {
    for (int shift : {0, 8, 16, 24}) {
        if (std::abs(Channel(actual, shift) - Channel(expected, shift)) > tolerance) {
            return ::testing::AssertionFailure() << std::hex << actual << " is not near " << expected;
        }
    }
    return ::testing::AssertionSuccess();
}

// Feeds every row that lands, made by rowBytes(y) (ColumnCount() pixels from FirstColumn()).
template <typename RowBytes>
std::vector<uint32_t> Feed(SquareReduction reduction, RowFormat format, RowBytes rowBytes,
                           const uint32_t* palette = nullptr) {
    for (uint32_t y = reduction.FirstRow(); y < reduction.FirstRow() + reduction.RowCount(); ++y) {
        const std::vector<uint8_t> row = rowBytes(y, reduction.FirstColumn(), reduction.ColumnCount());
        reduction.AddRow(y, row.data(), format, palette);
    }
    return reduction.TakeSquare();
}

// The pixels of a stored picture as premultiplied 32-bit rows.
std::vector<uint32_t> ReduceStored(const StoredPicture& stored, const PictureCanvas& canvas, int orientation) {
    return Feed(ReductionOnto(canvas, stored.width, stored.height, orientation), RowFormat::kPremultipliedBgra32,
                [&](uint32_t y, uint32_t first, uint32_t count) {
                    const uint32_t* begin = stored.pixels.data() + size_t{y} * stored.width + first;
                    return std::vector<uint8_t>(reinterpret_cast<const uint8_t*>(begin),
                                                reinterpret_cast<const uint8_t*>(begin + count));
                });
}

// Every orientation comes out upright: the stored pixels of a 300 x 400 portrait with corner
// markers, stored as a camera would for that orientation, give the same square: fitted at
// 768 x 1024 from x 128, red at its top left, green at its top right, blue at its bottom left.
TEST(SquareReductionTest, EveryOrientationComesOutUpright) {
    const PictureCanvas canvas = TextureCanvas(kAspectKeep);
    const std::vector<uint32_t> upright = ReduceStored(StoreForOrientation(300, 400, 1), canvas, 1);
    for (int orientation = 1; orientation <= 8; ++orientation) {
        SCOPED_TRACE(orientation);
        const std::vector<uint32_t> square =
            ReduceStored(StoreForOrientation(300, 400, orientation), canvas, orientation);
        ASSERT_EQ(square.size(), upright.size());
        const auto at = [&](int x, int y) { return square[static_cast<size_t>(y) * kTextureSide + x]; };
        EXPECT_EQ(at(128 + 96, 128), kMarkerRed);
        EXPECT_EQ(at(128 + 768 - 96, 128), kMarkerGreen);
        EXPECT_EQ(at(128 + 96, 1024 - 128), kMarkerBlue);
        EXPECT_EQ(at(128 + 768 - 96, 1024 - 128), kMarkerGrey);
        EXPECT_EQ(at(127, 500), kTextureBackground);
        EXPECT_EQ(at(128 + 768, 500), kTextureBackground);
        size_t different = 0;
        for (size_t i = 0; i < square.size(); ++i) different += !NearColour(square[i], upright[i], 1);
        EXPECT_EQ(different, 0u) << "the same square as the picture stored upright";
    }
}

// The sides swap before the picture is placed: a landscape-stored portrait photo fills the
// square in mode 1 from its middle rows, upright.
TEST(SquareReductionTest, OrientationSwapsTheSidesBeforePlacing) {
    const StoredPicture stored = StoreForOrientation(300, 600, 6);  // stored 600 x 300
    ASSERT_EQ(stored.width, 600);
    SquareReduction reduction = ReductionOnto(TextureCanvas(kAspectKeepAndStretch), 600, 300, 6);
    // Upright 300 x 600 fills at 1024 x 2048 from y -512: the middle half of the upright rows,
    // which are the middle half of the stored columns (150 to 449) and the next one, which the
    // enlargement blends in at the square's bottom edge.
    EXPECT_EQ(reduction.FirstColumn(), 150u);
    EXPECT_EQ(reduction.ColumnCount(), 301u);
    EXPECT_EQ(reduction.FirstRow(), 0u);
    EXPECT_EQ(reduction.RowCount(), 300u);
    const std::vector<uint32_t> square = ReduceStored(stored, TextureCanvas(kAspectKeepAndStretch), 6);
    // The markers' rows (the upright quarter at the top and bottom) lie outside the square; the
    // left and right edges show grey between them.
    for (int y : {10, 511, 1013}) {
        EXPECT_EQ(square[static_cast<size_t>(y) * kTextureSide], kMarkerGrey) << y;
        EXPECT_EQ(square[static_cast<size_t>(y) * kTextureSide + 1023], kMarkerGrey) << y;
    }
}

// Every row layout the decoders hand out gives the same square for the same picture.
TEST(SquareReductionTest, EveryRowFormatGivesTheSameSquare) {
    // 700 x 500 of opaque colours; in the palette picture a few colours, one of them half
    // transparent in the layouts with alpha.
    const auto colourAt = [](uint32_t x, uint32_t y) -> uint32_t {
        const uint32_t level = (x * 7 + y * 3) % 256;
        return 0xFF000000u | level << 16 | (255 - level) << 8 | ((x / 50 + y / 50) % 2) * 200;
    };
    const auto greyAt = [](uint32_t x, uint32_t y) { return static_cast<uint8_t>((x + 2 * y) % 256); };
    const PictureCanvas canvas = TextureCanvas(kAspectKeepAndStretch);
    const auto reduction = [&] { return ReductionOnto(canvas, 700, 500, 1); };
    const auto fill = [](size_t bytesPerPixel, auto put) {
        return [=](uint32_t y, uint32_t first, uint32_t count) {
            std::vector<uint8_t> row(count * bytesPerPixel);
            for (uint32_t i = 0; i < count; ++i) put(row.data() + i * bytesPerPixel, first + i, y);
            return row;
        };
    };
    const auto putArgb = [&](uint8_t* p, uint32_t x, uint32_t y) {
        const uint32_t c = colourAt(x, y);
        p[0] = static_cast<uint8_t>(c), p[1] = static_cast<uint8_t>(c >> 8), p[2] = static_cast<uint8_t>(c >> 16);
        p[3] = static_cast<uint8_t>(c >> 24);
    };

    const std::vector<uint32_t> expected = Feed(reduction(), RowFormat::kPremultipliedBgra32, fill(4, putArgb));
    EXPECT_EQ(Feed(reduction(), RowFormat::kBgra32, fill(4, putArgb)), expected) << "straight alpha";
    EXPECT_EQ(Feed(reduction(), RowFormat::kBgrx32,
                   fill(4,
                        [&](uint8_t* p, uint32_t x, uint32_t y) {
                            putArgb(p, x, y);
                            p[3] = 0x17;  // means nothing
                        })),
              expected);
    EXPECT_EQ(Feed(reduction(), RowFormat::kBgr24, fill(3, putArgb)), expected);

    // Grey: 8 bits against the same levels in 32 bits.
    const auto putGrey32 = [&](uint8_t* p, uint32_t x, uint32_t y) { p[0] = p[1] = p[2] = greyAt(x, y), p[3] = 0xFF; };
    EXPECT_EQ(
        Feed(reduction(), RowFormat::kGray8, fill(1, [&](uint8_t* p, uint32_t x, uint32_t y) { p[0] = greyAt(x, y); })),
        Feed(reduction(), RowFormat::kPremultipliedBgra32, fill(4, putGrey32)));

    // A palette: index i is premultiplied palette[i]; the same in straight 32 bits.
    std::vector<uint32_t> palette(256);
    for (uint32_t i = 0; i < 256; ++i) palette[i] = 0xFF000000u | i << 16 | (i / 2) << 8 | (255 - i);
    palette[7] = 0x80400000u;  // premultiplied half-transparent red
    const auto index = [](uint32_t x, uint32_t y) { return static_cast<uint8_t>((x / 3 + y) % 16 * 7); };
    const std::vector<uint32_t> fromPalette =
        Feed(reduction(), RowFormat::kIndexed8,
             fill(1, [&](uint8_t* p, uint32_t x, uint32_t y) { p[0] = index(x, y); }), palette.data());
    EXPECT_EQ(fromPalette,
              Feed(reduction(), RowFormat::kPremultipliedBgra32, fill(4, [&](uint8_t* p, uint32_t x, uint32_t y) {
                       const uint32_t c = palette[index(x, y)];
                       for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(c >> (8 * i));
                   })));
    // A palette row without its palette is no row.
    const std::vector<uint32_t> unfed =
        Feed(reduction(), RowFormat::kIndexed8, fill(1, [](uint8_t* p, uint32_t, uint32_t) { p[0] = 1; }));
    for (uint32_t pixel : unfed) ASSERT_EQ(pixel, kTextureBackground);
}

// A thumbnail cell: fitted and centred over opaque white (a 1000 x 500 picture in a 128 cell is
// 128 x 64 at y 32), the picture's rows exactly the picture.
TEST(SquareReductionTest, ThumbnailCellsAreFittedOverWhite) {
    const uint32_t red = 0xFFE01010u;
    const PictureCanvas cell = ThumbnailCanvas(128);
    const std::vector<uint32_t> pixels = Feed(ReductionOnto(cell, 1000, 500, 1), RowFormat::kPremultipliedBgra32,
                                              [&](uint32_t, uint32_t, uint32_t count) {
                                                  std::vector<uint8_t> row(count * 4);
                                                  for (uint32_t i = 0; i < count; ++i)
                                                      std::memcpy(row.data() + i * 4, &red, 4);
                                                  return row;
                                              });
    ASSERT_EQ(pixels.size(), 128u * 128u);
    for (int y = 0; y < 128; ++y) {
        const uint32_t expected = y >= 32 && y < 96 ? red : kThumbnailBackground;
        for (int x = 0; x < 128; ++x) ASSERT_EQ(pixels[y * 128 + x], expected) << x << ", " << y;
    }
}

// Enlarging interpolates between neighbours as GDI+ does: a black and a white pixel side by side,
// in a 128 cell, turn evenly from black at the left edge to white at the middle (where the cell
// reaches the white pixel's centre), and stay white.
TEST(SquareReductionTest, EnlargingBlendsNeighboursSmoothly) {
    const PictureCanvas cell = ThumbnailCanvas(128);
    const std::vector<uint32_t> pixels =
        Feed(ReductionOnto(cell, 2, 1, 1), RowFormat::kBgr24, [](uint32_t, uint32_t first, uint32_t count) {
            std::vector<uint8_t> row;
            for (uint32_t x = first; x < first + count; ++x) row.insert(row.end(), 3, x == 0 ? 0 : 255);
            return row;
        });
    // 128 x 64 at y 32.
    const auto at = [&](int x) { return Channel(pixels[64 * 128 + x], 0); };
    EXPECT_EQ(at(0), 0);
    for (int x = 64; x < 128; ++x) EXPECT_EQ(at(x), 255) << x;
    for (int x = 1; x < 64; ++x) {
        EXPECT_GT(at(x), at(x - 1)) << x;
        EXPECT_LE(at(x) - at(x - 1), 5) << x;
    }
    EXPECT_NEAR(at(32), 128, 2);
    EXPECT_EQ(pixels[64 * 128 + 32] >> 24, 0xFFu);
}

// How far a codec that decodes smaller by itself may go: never below the pixels the canvas shows.
TEST(SquareReductionTest, CodecReductionKeepsAtLeastTheCanvasPixels) {
    const struct {
        const char* what;
        PictureCanvas canvas;
        uint32_t width, height;
        int orientation;
        uint32_t expected;
    } cases[] = {
        {"12 MP fitted: 1024 x 768 needs half", TextureCanvas(kAspectKeep), 4000, 3000, 1, 2},
        {"12 MP filled: 1365 x 1024 needs half", TextureCanvas(kAspectKeepAndStretch), 4000, 3000, 1, 2},
        {"12 MP portrait stored on its side", TextureCanvas(kAspectKeep), 4000, 3000, 6, 2},
        {"108 MP filled: an eighth is 1500 x 1125", TextureCanvas(kAspectKeepAndStretch), 12000, 9000, 1, 8},
        {"8192 x 6144 fitted: a quarter is 2048 x 1536, an eighth exactly 1024 x 768", TextureCanvas(kAspectKeep), 8192,
         6144, 1, 8},
        {"1024 x 400 in a 128 cell: an eighth is 128 across", ThumbnailCanvas(128), 1024, 400, 1, 8},
        {"1016 x 400 in a 128 cell: an eighth is 127 across", ThumbnailCanvas(128), 1016, 400, 1, 4},
        {"12 MP in a 128 thumbnail", ThumbnailCanvas(128), 4000, 3000, 1, 8},
        {"12 MP in a 512 thumbnail", ThumbnailCanvas(512), 4000, 3000, 8, 4},
        {"a 2000 x 1000 picture fitted is not reduced", TextureCanvas(kAspectKeep), 2000, 1000, 1, 1},
        {"a small picture is enlarged, not reduced", TextureCanvas(kAspectKeep), 500, 500, 1, 1},
        {"a panorama filled shows its height whole", TextureCanvas(kAspectKeepAndStretch), 30000, 2000, 1, 1},
        {"no size", TextureCanvas(kAspectKeep), 0, 3000, 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(CodecReductionFactor(c.canvas, c.width, c.height, c.orientation), c.expected);
    }
}

// Where the codec decodes smaller by itself (JPEG on Windows), the smaller picture is reduced
// onto the same place as the whole one would be, and gives the same square: a gradient decoded
// at half its size, in both modes and turned, differs by a level at most.
TEST(SquareReductionTest, APictureDecodedSmallerLandsWhereTheWholeOneWould) {
    const auto gradientAt = [](double x, double y) -> uint32_t {
        const uint32_t red = static_cast<uint32_t>(x / 4000.0 * 255.0),
                       blue = static_cast<uint32_t>(y / 3000.0 * 255.0);
        return 0xFF000000u | red << 16 | 0x40u << 8 | blue;
    };
    for (int mode : {kAspectKeep, kAspectKeepAndStretch}) {
        for (int orientation : {1, 6}) {
            SCOPED_TRACE("mode " + std::to_string(mode) + ", orientation " + std::to_string(orientation));
            const PictureCanvas canvas = TextureCanvas(mode);
            ASSERT_EQ(CodecReductionFactor(canvas, 4000, 3000, orientation), 2u);
            const auto rows = [&](uint32_t scale) {
                return [&, scale](uint32_t y, uint32_t first, uint32_t count) {
                    std::vector<uint8_t> row(count * 4);
                    for (uint32_t i = 0; i < count; ++i) {
                        // The pixel's centre in the whole picture's coordinates.
                        const uint32_t c = gradientAt((first + i + 0.5) * scale, (y + 0.5) * scale);
                        std::memcpy(row.data() + i * 4, &c, 4);
                    }
                    return row;
                };
            };
            const std::vector<uint32_t> whole =
                Feed(ReductionOnto(canvas, 4000, 3000, orientation), RowFormat::kPremultipliedBgra32, rows(1));
            const std::vector<uint32_t> half = Feed(ScaledReductionOnto(canvas, 2000, 1500, 4000, 3000, orientation),
                                                    RowFormat::kPremultipliedBgra32, rows(2));
            ASSERT_EQ(whole.size(), half.size());
            size_t different = 0;
            for (size_t i = 0; i < whole.size(); ++i) {
                different += !NearColour(whole[i], half[i], 1);
                if ((whole[i] == kTextureBackground) != (half[i] == kTextureBackground)) ++different;
            }
            EXPECT_EQ(different, 0u);
        }
    }
}

}  // namespace
