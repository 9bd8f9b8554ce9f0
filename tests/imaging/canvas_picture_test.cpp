// Pictures onto texture squares and thumbnail cells through the real decoders: photos turned
// upright by their EXIF orientation on every decoding route, every pixel layout the decoders
// hand out, and squares that stay close to the ones GDI+ draws.

#include "imaging/canvas_picture.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/picture_fixtures.h"
#include "common/test_files.h"
#include "generated_pictures.h"
#include "imaging/gdiplus_canvas.h"
#include "imaging/picture_bytes.h"
#include "imaging/picture_canvas.h"
#include "imaging/texture_picture.h"
#include "imaging/texture_square.h"
#include "imaging_test_support.h"

namespace {

int Channel(uint32_t pixel, int shift) { return static_cast<int>(pixel >> shift & 0xFF); }

// Opaque and within `tolerance` of `expected` in each colour (JPEG's rounding and the blends of
// the enlargement at the markers' edges stay well inside 24 levels; a wrong marker is 100 or more
// away).
::testing::AssertionResult NearColour(uint32_t actual, uint32_t expected, int tolerance = 24) {
    if (actual >> 24 != 0xFF) return ::testing::AssertionFailure() << std::hex << actual << " is not opaque";
    for (int shift : {0, 8, 16}) {
        if (std::abs(Channel(actual, shift) - Channel(expected, shift)) > tolerance) {
            return ::testing::AssertionFailure() << std::hex << actual << " is not near " << expected;
        }
    }
    return ::testing::AssertionSuccess();
}

// The marked 300 x 400 portrait fitted on the square (mode 0): 768 x 1024 from x 128.
void ExpectUprightOnTheSquare(HBITMAP texture) {
    ASSERT_NE(texture, nullptr);
    const TopDownPixels square = ReadTopDownPixels(texture);
    ASSERT_EQ(square.width, kTextureSide);
    ASSERT_EQ(square.height, kTextureSide);
    EXPECT_TRUE(NearColour(square.At(128 + 96, 128), kMarkerRed)) << "top left";
    EXPECT_TRUE(NearColour(square.At(128 + 768 - 96, 128), kMarkerGreen)) << "top right";
    EXPECT_TRUE(NearColour(square.At(128 + 96, 1024 - 128), kMarkerBlue)) << "bottom left";
    EXPECT_TRUE(NearColour(square.At(128 + 768 - 96, 1024 - 128), kMarkerGrey)) << "bottom right";
    EXPECT_EQ(square.At(60, 512), 0x42282828u) << "grey beside the portrait";
    EXPECT_EQ(square.At(1000, 512), 0x42282828u) << "grey beside the portrait";
}

class CanvasPictureTest : public ::testing::Test {
protected:
    TestFolder m_folder{L"canvas"};
};

// Phones store portrait photos as landscape pixels and say how to turn them: every one of the
// eight orientations (written in either byte order) comes out upright, from a file and from
// memory.
TEST_F(CanvasPictureTest, JpegPhotosComeOutUprightInEveryOrientation) {
    for (int orientation = 1; orientation <= 8; ++orientation) {
        const bool bigEndian = orientation % 2 == 0;
        SCOPED_TRACE("orientation " + std::to_string(orientation) + (bigEndian ? ", Motorola" : ", Intel"));
        const std::vector<uint8_t> jpeg = OrientedMarkerJpeg(300, 400, orientation, bigEndian);
        ASSERT_FALSE(jpeg.empty());
        const std::wstring path = m_folder / (L"photo" + std::to_wstring(orientation) + L".jpg");
        ASSERT_TRUE(WriteFileBytes(path, jpeg));

        HBITMAP fromFile = LoadTexturePictureFile(path.c_str(), kAspectKeep);
        ExpectUprightOnTheSquare(fromFile);
        HBITMAP fromMemory = LoadTexturePictureMemory(jpeg.data(), jpeg.size(), kAspectKeep);
        ExpectUprightOnTheSquare(fromMemory);
        DeleteObject(fromFile);
        DeleteObject(fromMemory);
    }
}

// A value outside 1 to 8 shows the picture as stored.
TEST_F(CanvasPictureTest, AnUnknownOrientationShowsThePictureAsStored) {
    const StoredPicture stored = StoreForOrientation(300, 400, 1);
    const std::vector<uint8_t> plain = EncodePixels(stored.width, stored.height, stored.pixels, L"image/jpeg");
    for (uint32_t value : {0u, 9u, 0x106u}) {
        SCOPED_TRACE(value);
        const std::vector<uint8_t> jpeg = WithExifOrientation(plain, value);
        HBITMAP texture = LoadTexturePictureMemory(jpeg.data(), jpeg.size(), kAspectKeep);
        ExpectUprightOnTheSquare(texture);
        DeleteObject(texture);
    }
}

// TIFF files carry the orientation in their own directory; they are decoded by GDI+.
TEST_F(CanvasPictureTest, TiffPicturesComeOutUprightToo) {
    for (int orientation : {3, 6, 7, 8}) {
        SCOPED_TRACE(orientation);
        const StoredPicture stored = StoreForOrientation(300, 400, orientation);
        const std::vector<uint8_t> tiff = MakeRgbaTiff(
            stored.width, stored.height,
            [&](int x, int y) { return stored.pixels[static_cast<size_t>(y) * stored.width + x]; },
            static_cast<uint32_t>(orientation));
        HBITMAP texture = LoadTexturePictureMemory(tiff.data(), tiff.size(), kAspectKeep);
        ExpectUprightOnTheSquare(texture);
        DeleteObject(texture);
    }
}

// A photo larger than GDI+ decodes whole goes the row-by-row way, and turns there too: 4400 x 4000
// stored with orientation 6 (turned a quarter clockwise) shows as a 4000 x 4400 portrait, fitted at
// 930 x 1024 from x 47, red at its top left.
TEST_F(CanvasPictureTest, LargePhotoOnItsSideComesOutUpright) {
    const int storedWidth = 4400, storedHeight = 4000;
    const std::vector<uint8_t> photo = WithExifOrientation(
        MakeBlockJpeg(storedWidth, storedHeight,
                      [&](int blockX, int blockY) {
                          // Orientation 6 shows stored (x, y) at upright (storedHeight - 1 - y, x).
                          const int x = blockX * 8 + 4, y = blockY * 8 + 4;
                          return MarkedPictureAt(storedHeight - 1 - y, x, storedHeight, storedWidth) & 0xFFFFFF;
                      }),
        6);
    const std::wstring path = m_folder / L"large.jpg";
    ASSERT_TRUE(WriteFileBytes(path, photo));
    HBITMAP texture = LoadTexturePictureFile(path.c_str(), kAspectKeep);
    ASSERT_NE(texture, nullptr);
    const TopDownPixels square = ReadTopDownPixels(texture);
    DeleteObject(texture);
    EXPECT_TRUE(NearColour(square.At(47 + 100, 100), kMarkerRed));
    EXPECT_TRUE(NearColour(square.At(47 + 930 - 100, 100), kMarkerGreen));
    EXPECT_TRUE(NearColour(square.At(47 + 100, 1024 - 100), kMarkerBlue));
    EXPECT_TRUE(NearColour(square.At(47 + 930 - 100, 1024 - 100), kMarkerGrey));
    EXPECT_EQ(square.At(20, 512), 0x42282828u);
}

// A BMP file of width x height in `bitCount` bits (1, 8: palette; 16: 5-5-5; 24), its pixels
// colourAt(x, y) as 0xRRGGBB, which must be black, white, red or blue (what every layout holds).
std::vector<uint8_t> BmpBytes(int width, int height, int bitCount, uint32_t (*colourAt)(int, int)) {
    const std::vector<uint32_t> palette = {0x000000, 0xFFFFFF, 0xFF0000, 0x0000FF};
    const int paletteCount = bitCount <= 8 ? (1 << bitCount) : 0;
    const int stride = ((width * bitCount + 31) / 32) * 4;
    const uint32_t offset = 14 + 40 + paletteCount * 4;
    std::vector<uint8_t> bytes;
    auto put16 = [&](uint32_t v) { bytes.push_back(uint8_t(v)), bytes.push_back(uint8_t(v >> 8)); };
    auto put32 = [&](uint32_t v) { put16(v & 0xFFFF), put16(v >> 16); };
    bytes.push_back('B'), bytes.push_back('M');
    put32(offset + static_cast<uint32_t>(stride) * height), put32(0), put32(offset);
    put32(40), put32(width), put32(height), put16(1), put16(bitCount), put32(0), put32(0), put32(2835), put32(2835);
    put32(paletteCount), put32(0);
    for (int i = 0; i < paletteCount; ++i) put32(i < 4 ? palette[i] : 0);
    for (int y = height - 1; y >= 0; --y) {  // bottom-up
        std::vector<uint8_t> row(stride, 0);
        for (int x = 0; x < width; ++x) {
            const uint32_t rgb = colourAt(x, y);
            const int index = static_cast<int>(std::find(palette.begin(), palette.end(), rgb) - palette.begin());
            switch (bitCount) {
                case 1:
                    row[x / 8] |= static_cast<uint8_t>((index & 1) << (7 - x % 8));
                    break;
                case 8:
                    row[x] = static_cast<uint8_t>(index);
                    break;
                case 16: {
                    const uint32_t r = (rgb >> 19) & 31, g = (rgb >> 11) & 31, b = (rgb >> 3) & 31;
                    const uint32_t value = r << 10 | g << 5 | b;
                    row[2 * x] = uint8_t(value), row[2 * x + 1] = uint8_t(value >> 8);
                    break;
                }
                default:
                    row[3 * x] = uint8_t(rgb), row[3 * x + 1] = uint8_t(rgb >> 8), row[3 * x + 2] = uint8_t(rgb >> 16);
                    break;
            }
        }
        for (uint8_t byte : row) bytes.push_back(byte);
    }
    return bytes;
}

// Bands of 40 pixels, black and white (what a 1-bit picture holds).
uint32_t BlackAndWhiteAt(int x, int y) { return ((x / 40 + y / 40) % 2) ? 0xFFFFFF : 0x000000; }
// Black, white, red and blue blocks.
uint32_t FourColoursAt(int x, int y) {
    const uint32_t colours[] = {0x000000, 0xFFFFFF, 0xFF0000, 0x0000FF};
    return colours[(x / 50 + 2 * (y / 50)) % 4];
}

// Every layout GDI+ decodes to is read: straight from the decoded pixels (24 bits, 32 bits with
// and without alpha, 8-bit palettes) or converted by GDI+ (1 bit, 16 bits). The same picture
// gives the same square in every layout, the square of the 24-bit picture.
TEST_F(CanvasPictureTest, EveryPixelLayoutGivesTheSameSquare) {
    const struct {
        const char* what;
        uint32_t (*colourAt)(int, int);
        std::vector<int> bitCounts;
    } pictures[] = {
        {"black and white", BlackAndWhiteAt, {1, 8, 16}},
        {"four colours", FourColoursAt, {8, 16}},
    };
    for (const auto& picture : pictures) {
        for (int mode : {kAspectKeep, kAspectKeepAndStretch}) {
            SCOPED_TRACE(std::string(picture.what) + " mode " + std::to_string(mode));
            // 1500 x 1100: reduced onto the square, so every picture pixel counts.
            const std::vector<uint8_t> reference = BmpBytes(1500, 1100, 24, picture.colourAt);
            HBITMAP expected = LoadTexturePictureMemory(reference.data(), reference.size(), mode);
            const TopDownPixels expectedPixels = ReadTopDownPixels(expected);
            DeleteObject(expected);
            ASSERT_EQ(expectedPixels.pixels.size(), size_t{kTextureSide} * kTextureSide);

            std::vector<std::pair<std::string, std::vector<uint8_t>>> layouts;
            for (int bitCount : picture.bitCounts) {
                layouts.emplace_back(std::to_string(bitCount) + " bits",
                                     BmpBytes(1500, 1100, bitCount, picture.colourAt));
            }
            layouts.emplace_back("32-bit PNG", MakePngBytes(1500, 1100, [&](int x, int y) {
                                     return 0xFF000000u | picture.colourAt(x, y);
                                 }));
            for (const auto& layout : layouts) {
                SCOPED_TRACE(layout.first);
                HBITMAP texture = LoadTexturePictureMemory(layout.second.data(), layout.second.size(), mode);
                const TopDownPixels pixels = ReadTopDownPixels(texture);
                DeleteObject(texture);
                ASSERT_EQ(pixels.pixels.size(), expectedPixels.pixels.size());
                size_t different = 0;
                for (size_t i = 0; i < pixels.pixels.size(); ++i) {
                    for (int shift : {0, 8, 16, 24}) {
                        if (std::abs(Channel(pixels.pixels[i], shift) - Channel(expectedPixels.pixels[i], shift)) > 1) {
                            ++different;
                            break;
                        }
                    }
                }
                EXPECT_EQ(different, 0u);
            }
        }
    }
}

// Translucent PNG pixels lie over the grey as GDI+ draws them.
TEST_F(CanvasPictureTest, TranslucentPicturesLieOverTheGreyAsGdiplusDrawsThem) {
    const std::vector<uint8_t> png =
        MakePngBytes(2048, 1024, [](int x, int) { return x < 1024 ? 0x80FF0000u : 0x00000000u; });
    HBITMAP texture = LoadTexturePictureMemory(png.data(), png.size(), kAspectKeep);
    ASSERT_NE(texture, nullptr);
    const TopDownPixels square = ReadTopDownPixels(texture);
    DeleteObject(texture);
    // Fitted at 1024 x 512 from y 256; the right half transparent shows the plain grey.
    EXPECT_EQ(square.At(700, 500), 0x42282828u);
    EXPECT_EQ(square.At(100, 100), 0x42282828u);
    // Half red over the grey: alpha 0x80 + 0x42 * (1 - 0x80 / 255) = 161, premultiplied.
    const uint32_t mixed = square.At(200, 500);
    EXPECT_NEAR(Channel(mixed, 24), 161, 1);
    EXPECT_NEAR(Channel(mixed, 16), 128 + 20, 2);
    EXPECT_NEAR(Channel(mixed, 8), 20, 2);
}

// The mean difference, per colour channel, between two squares over the picture's place on them.
struct SquareDifference {
    double meanPerChannel = 0;  // over blue, green and red, averaged
    double worstChannelMean = 0;
};
// `inset` leaves out that many pixels inside each edge of the place.
SquareDifference Difference(const TopDownPixels& a, const TopDownPixels& b, const TexturePlacement& place,
                            int inset = 0) {
    double sums[3] = {0, 0, 0};
    size_t count = 0;
    for (int y = std::max(0, place.y) + inset; y < std::min(kTextureSide, place.y + place.height) - inset; ++y) {
        for (int x = std::max(0, place.x) + inset; x < std::min(kTextureSide, place.x + place.width) - inset; ++x) {
            for (int c = 0; c < 3; ++c) sums[c] += std::abs(Channel(a.At(x, y), 8 * c) - Channel(b.At(x, y), 8 * c));
            ++count;
        }
    }
    SquareDifference difference;
    for (double sum : sums) {
        difference.meanPerChannel += sum / count / 3;
        difference.worstChannelMean = std::max(difference.worstChannelMean, sum / count);
    }
    return difference;
}

// The square GDI+ draws of the picture in `bytes` (decoded by GDI+ with colour management, drawn
// with its default interpolation): how texture squares were made before.
TopDownPixels SquareAsGdiplusDrawsIt(const std::vector<uint8_t>& bytes, int mode, uint32_t& width, uint32_t& height) {
    const GdiplusApi& api = Gdiplus();
    PictureBytes block;
    EXPECT_TRUE(block.CopyFrom(bytes.data(), bytes.size()));
    ComPointer<IStream> stream = MakeStreamOnBytes(block);
    GpBitmap* picture = nullptr;
    EXPECT_EQ(api.createBitmapFromStreamIcm(stream.Get(), &picture), kGpOk);
    stream.Reset();
    UINT w = 0, h = 0;
    api.getImageWidth(AsImage(picture), &w);
    api.getImageHeight(AsImage(picture), &h);
    width = w, height = h;
    HBITMAP square = DrawCanvasWithGdiplus(AsImage(picture), TextureCanvas(mode), 1);
    api.disposeImage(AsImage(picture));
    TopDownPixels pixels = ReadTopDownPixels(square);
    DeleteObject(square);
    return pixels;
}

std::vector<uint8_t> Resource(const wchar_t* name) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC resource = FindResourceW(module, name, MAKEINTRESOURCEW(10));  // RCDATA
    if (resource == nullptr) return {};
    const auto* data = static_cast<const uint8_t*>(LockResource(LoadResource(module, resource)));
    return std::vector<uint8_t>(data, data + SizeofResource(module, resource));
}

// A 3000 x 2000 photo-like picture: sky, sun, hills of grass with a grain a few pixels across, a
// house with windows.
std::vector<uint32_t> PhotoLikePixels(int width, int height) {
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    auto noise = [](uint32_t x, uint32_t y) {
        uint32_t h = x * 374761393u + y * 668265263u;
        h = (h ^ (h >> 13)) * 1274126177u;
        return static_cast<int>((h ^ (h >> 16)) & 0xFF) - 128;
    };
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            int r, g, b;
            const double hill = height * (0.55 + 0.06 * std::sin(x * 0.004) + 0.03 * std::sin(x * 0.013 + 1.0));
            if (y < hill) {
                const double t = static_cast<double>(y) / hill;
                r = static_cast<int>(90 + 120 * t), g = static_cast<int>(140 + 90 * t), b = 235;
                const double dx = x - width * 0.75, dy = y - height * 0.2;
                const double distance = std::sqrt(dx * dx + dy * dy);
                if (distance < 120)
                    r = 255, g = 240, b = 180;
                else if (distance < 180) {
                    const double glow = (180 - distance) / 60;
                    r += static_cast<int>((255 - r) * glow), g += static_cast<int>((240 - g) * glow);
                }
            } else {
                // Grain a few pixels across, as a camera's lens and demosaicing leave it.
                const double gx = x / 4.0, gy = y / 4.0;
                const int cx = static_cast<int>(gx), cy = static_cast<int>(gy);
                const double fx = gx - cx, fy = gy - cy;
                const double smooth = (noise(cx, cy) * (1 - fx) + noise(cx + 1, cy) * fx) * (1 - fy) +
                                      (noise(cx, cy + 1) * (1 - fx) + noise(cx + 1, cy + 1) * fx) * fy;
                const int grain = static_cast<int>(smooth / 5) + noise(x, y) / 32 + noise(x / 40, y / 40) / 5;
                r = 60 + grain, g = 130 + grain + static_cast<int>(20 * std::sin(y * 0.05)), b = 40 + grain / 2;
            }
            // The house and its windows.
            if (x > 600 && x < 1300 && y > 900 && y < 1500) {
                r = 200, g = 180, b = 150;
                if ((x - 650) % 150 < 80 && (y - 950) % 180 < 100) r = 40, g = 60, b = 90;
            }
            const auto clamp = [](int v) { return static_cast<uint32_t>(std::clamp(v, 0, 255)); };
            pixels[static_cast<size_t>(y) * width + x] = 0xFF000000u | clamp(r) << 16 | clamp(g) << 8 | clamp(b);
        }
    }
    return pixels;
}

// The squares stay close to the ones GDI+ drew before: the mean difference per colour channel
// over the picture's place, for the three sample pictures (enlarged from 320 pixels) and a
// photo-like picture (reduced from 3000 x 2000), in both modes. GDI+ blends a picture's outermost
// pixels with the grey and scales without averaging, so some difference remains where a photo's
// grain and the fence's pickets are reduced: what averaging is there for.
TEST_F(CanvasPictureTest, SquaresStayCloseToTheOnesGdiplusDraws) {
    struct Picture {
        std::string what;
        std::vector<uint8_t> bytes;
        double bound;  // mean difference per channel, in levels of 255
    };
    std::vector<Picture> pictures = {
        {"sample dawn", Resource(L"TEST_SAMPLE_DAWN"), 1.0},
        {"sample sea", Resource(L"TEST_SAMPLE_SEA"), 1.0},
        {"sample garden", Resource(L"TEST_SAMPLE_GARDEN"), 1.0},
        {"photo 3000 x 2000", EncodePixels(3000, 2000, PhotoLikePixels(3000, 2000), L"image/jpeg"), 3.0},
    };
    for (const Picture& picture : pictures) {
        ASSERT_FALSE(picture.bytes.empty()) << picture.what;
        for (int mode : {kAspectKeep, kAspectKeepAndStretch}) {
            SCOPED_TRACE(picture.what + " mode " + std::to_string(mode));
            uint32_t width = 0, height = 0;
            const TopDownPixels before = SquareAsGdiplusDrawsIt(picture.bytes, mode, width, height);
            HBITMAP texture = LoadTexturePictureMemory(picture.bytes.data(), picture.bytes.size(), mode);
            const TopDownPixels now = ReadTopDownPixels(texture);
            DeleteObject(texture);
            ASSERT_EQ(before.pixels.size(), now.pixels.size());
            const TexturePlacement place =
                PlaceOnTextureSquare(static_cast<int>(width), static_cast<int>(height), mode);
            const SquareDifference difference = Difference(before, now, place);
            const SquareDifference inside = Difference(before, now, place, 2);
            std::printf(
                "%s, mode %d: mean difference per channel %.2f (worst channel %.2f) against GDI+; "
                "%.2f (%.2f) without the picture's two outermost rings\n",
                picture.what.c_str(), mode, difference.meanPerChannel, difference.worstChannelMean,
                inside.meanPerChannel, inside.worstChannelMean);
            EXPECT_LE(difference.worstChannelMean, picture.bound);
            // Outside the picture's place both are the same grey.
            for (int y = 0; y < kTextureSide; y += 7) {
                for (int x = 0; x < kTextureSide; x += 7) {
                    if (x >= place.x && x < place.x + place.width && y >= place.y && y < place.y + place.height)
                        continue;
                    ASSERT_EQ(now.At(x, y), before.At(x, y)) << x << ", " << y;
                }
            }
        }
    }
}

// A 1-pixel checkerboard reduced 2 and 4 times through the real decoders comes out as even grey;
// GDI+'s own scaling, which interpolates between a few pixels instead of averaging all of them,
// turns it into a pattern of dark and light (under Wine as on Windows).
TEST_F(CanvasPictureTest, ACheckerboardComesOutEvenGrey) {
    for (int width : {2048, 4096}) {
        SCOPED_TRACE(width);
        const std::vector<uint8_t> png =
            MakePngBytes(width, 2048, [](int x, int y) { return (x + y) % 2 ? 0xFFFFFFFFu : 0xFF000000u; });
        HBITMAP texture = LoadTexturePictureMemory(png.data(), png.size(), kAspectKeep);
        const TopDownPixels square = ReadTopDownPixels(texture);
        DeleteObject(texture);
        // 2048 x 2048 fills the square; 4096 x 2048 is fitted at 1024 x 512 from y 256.
        const int top = width == 2048 ? 0 : 256, bottom = width == 2048 ? 1024 : 768;
        int lowest = 255, highest = 0;
        for (int y = top; y < bottom; ++y) {
            for (int x = 0; x < kTextureSide; ++x) {
                for (int shift : {0, 8, 16}) {
                    lowest = std::min(lowest, Channel(square.At(x, y), shift));
                    highest = std::max(highest, Channel(square.At(x, y), shift));
                }
            }
        }
        EXPECT_GE(lowest, 127);
        EXPECT_LE(highest, 128);
    }
}

// A JPEG that carries a colour profile is converted to sRGB on Windows, as GDI+ converts it when
// it decodes with colour management. Wine's codec reports no profile (GetColorContexts answers
// WINCODEC_ERR_UNSUPPORTEDOPERATION) and its GDI+ ignores one, so here the picture must simply
// decode as before and fill its square.
TEST_F(CanvasPictureTest, JpegWithAColourProfileStillFillsItsSquare) {
    const StoredPicture stored = StoreForOrientation(300, 400, 1);
    std::vector<uint8_t> jpeg = EncodePixels(stored.width, stored.height, stored.pixels, L"image/jpeg");
    ASSERT_GT(jpeg.size(), 2u);
    // An APP2 "ICC_PROFILE" segment holding a profile header of 128 bytes and an empty tag table.
    std::vector<uint8_t> profile(132, 0);
    profile[3] = 132;                                       // size
    std::copy_n("mntrRGB XYZ ", 12, profile.begin() + 12);  // class, colour space, connection space
    std::copy_n("acsp", 4, profile.begin() + 36);
    std::vector<uint8_t> segment = {0xFF, 0xE2, 0, 0};
    for (char c : std::string("ICC_PROFILE")) segment.push_back(static_cast<uint8_t>(c));
    segment.push_back(0), segment.push_back(1), segment.push_back(1);  // chunk 1 of 1
    for (uint8_t byte : profile) segment.push_back(byte);
    segment[2] = static_cast<uint8_t>((segment.size() - 2) >> 8), segment[3] = static_cast<uint8_t>(segment.size() - 2);
    jpeg.insert(jpeg.begin() + 2, segment.begin(), segment.end());

    HBITMAP texture = LoadTexturePictureMemory(jpeg.data(), jpeg.size(), kAspectKeep);
    ExpectUprightOnTheSquare(texture);
    DeleteObject(texture);
}

// Thumbnail cells come from the same decoding: upright, fitted over white.
TEST_F(CanvasPictureTest, ThumbnailCellsAreUprightOverWhite) {
    for (int orientation : {1, 5, 6, 8}) {
        SCOPED_TRACE(orientation);
        const std::wstring path = m_folder / (L"thumb" + std::to_wstring(orientation) + L".jpg");
        ASSERT_TRUE(WriteFileBytes(path, OrientedMarkerJpeg(120, 160, orientation)));
        HBITMAP cell = LoadCanvasPictureFile(path.c_str(), ThumbnailCanvas(128));
        ASSERT_NE(cell, nullptr);
        const TopDownPixels pixels = ReadTopDownPixels(cell);
        DeleteObject(cell);
        ASSERT_EQ(pixels.width, 128);
        // 96 x 128 from x 16.
        EXPECT_TRUE(NearColour(pixels.At(16 + 12, 16), kMarkerRed));
        EXPECT_TRUE(NearColour(pixels.At(16 + 96 - 12, 16), kMarkerGreen));
        EXPECT_TRUE(NearColour(pixels.At(16 + 12, 128 - 16), kMarkerBlue));
        EXPECT_EQ(pixels.At(5, 64), 0xFFFFFFFFu);
        EXPECT_EQ(pixels.At(122, 64), 0xFFFFFFFFu);
    }
    const std::wstring text = m_folder / L"no picture.jpg";
    ASSERT_TRUE(WriteFileBytes(text, std::string("not a picture at all")));
    EXPECT_EQ(LoadCanvasPictureFile(text.c_str(), ThumbnailCanvas(128)), nullptr);
}

}  // namespace
