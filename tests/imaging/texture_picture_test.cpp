#include "imaging/texture_picture.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "bad_pictures.h"
#include "common/test_files.h"
#include "imaging/decoding_budget.h"
#include "imaging/texture_square.h"
#include "imaging_test_support.h"

namespace {

// Four vertical stripes of 500 pixels (A, B, C, D) below a top band of 100 rows (T), so that
// both the horizontal placement and the row order show in the square.
constexpr uint32_t kTop = 0xFF00FF00, kA = 0xFFFF0000, kB = 0xFF0000FF, kC = 0xFFFFFF00, kD = 0xFF00FFFF;

// GdipCreateHBITMAPFromBitmap hands out premultiplied pixels (Windows' GDI+ does so too, and
// Wine's follows it): the translucent grey 0x429B9B9B of the square arrives as 0x42282828.
// Opaque picture pixels are the same either way.
constexpr uint32_t Premultiplied(uint32_t argb) {
    const uint32_t alpha = argb >> 24;
    uint32_t result = argb & 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) result |= ((((argb >> shift) & 0xFF) * alpha + 127) / 255) << shift;
    return result;
}
constexpr uint32_t kGrey = Premultiplied(kTextureBackground);
static_assert(kGrey == 0x42282828u);

uint32_t StripeAt(int x, int y) {
    if (y < 100) return kTop;
    const uint32_t stripes[] = {kA, kB, kC, kD};
    return stripes[x / 500];
}

// A 500 x 500 picture in four quadrants.
uint32_t QuadrantAt(int x, int y) { return y < 250 ? (x < 250 ? kA : kB) : (x < 250 ? kC : kD); }

struct Probe {
    int x, y;
    uint32_t expected;
};

void ExpectSquare(HBITMAP texture, const std::vector<Probe>& probes) {
    ASSERT_NE(texture, nullptr);
    const TopDownPixels pixels = ReadTopDownPixels(texture);
    ASSERT_EQ(pixels.width, kTextureSide);
    ASSERT_EQ(pixels.height, kTextureSide);
    for (const Probe& probe : probes) {
        SCOPED_TRACE(std::to_string(probe.x) + ", " + std::to_string(probe.y));
        EXPECT_EQ(pixels.At(probe.x, probe.y), probe.expected);
    }
}

void ExpectPlainGrey(HBITMAP texture) {
    ASSERT_NE(texture, nullptr);
    const TopDownPixels pixels = ReadTopDownPixels(texture);
    ASSERT_EQ(pixels.width, kTextureSide);
    ASSERT_EQ(pixels.height, kTextureSide);
    size_t grey = 0;
    for (uint32_t pixel : pixels.pixels) grey += pixel == kGrey;
    EXPECT_EQ(grey, pixels.pixels.size()) << "first pixel " << std::hex << pixels.pixels[0];
}

class TexturePictureTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_stripes = MakePngBytes(2000, 1000, StripeAt);
        m_quadrants = MakePngBytes(500, 500, QuadrantAt);
        ASSERT_TRUE(WriteFileBytes(m_stripesFile, m_stripes));
        ASSERT_TRUE(WriteFileBytes(m_quadrantsFile, m_quadrants));
    }
    TestFolder m_folder{L"texture"};
    std::vector<uint8_t> m_stripes, m_quadrants;
    std::wstring m_stripesFile = m_folder / L"stripes_2000x1000.png";
    std::wstring m_quadrantsFile = m_folder / L"quadrants_500x500.png";
};

TEST_F(TexturePictureTest, WidePictureFitsInsideInMode0) {
    // Drawn at 1024 x 512 from y 256: the top band covers rows 256..306, each stripe 256 columns.
    HBITMAP texture = LoadTexturePictureFile(m_stripesFile.c_str(), kAspectKeep);
    ExpectSquare(texture, {{512, 100, kGrey},
                           {10, 250, kGrey},
                           {512, 280, kTop},
                           {128, 500, kA},
                           {384, 500, kB},
                           {640, 500, kC},
                           {896, 760, kD},
                           {512, 775, kGrey},
                           {1000, 1020, kGrey}});
    DeleteObject(texture);
}

TEST_F(TexturePictureTest, WidePictureFillsAndOverhangsInMode1) {
    // Drawn at 2048 x 1024 from x -512: stripes B and C show, each 512 columns; the top band is
    // rows 0..101.
    HBITMAP texture = LoadTexturePictureFile(m_stripesFile.c_str(), kAspectKeepAndStretch);
    ExpectSquare(texture,
                 {{5, 5, kTop}, {1020, 90, kTop}, {5, 200, kB}, {500, 1020, kB}, {530, 200, kC}, {1020, 1020, kC}});
    DeleteObject(texture);
}

TEST_F(TexturePictureTest, LoadingAFileWritesItsPathToTheDebuggerOutput) {
    DebugOutputMonitor monitor;
    ASSERT_TRUE(monitor.IsListening());
    const std::wstring missing = m_folder / L"missing.png";
    HBITMAP texture = LoadTexturePictureFile(m_quadrantsFile.c_str(), kAspectKeep);
    EXPECT_EQ(LoadTexturePictureFile(missing.c_str(), kAspectKeep), nullptr);
    const std::wstring output = monitor.Stop();
    DeleteObject(texture);
    // The line is written before anything else happens, so a file that fails writes it too.
    EXPECT_EQ(output, L"CreaateBitmapFromFile:" + m_quadrantsFile + L"\nCreaateBitmapFromFile:" + missing + L"\n");
}

TEST_F(TexturePictureTest, SquarePictureFillsTheSquareInBothModes) {
    for (int mode : {kAspectKeep, kAspectKeepAndStretch}) {
        SCOPED_TRACE(mode);
        HBITMAP texture = LoadTexturePictureFile(m_quadrantsFile.c_str(), mode);
        ASSERT_NE(texture, nullptr);
        const TopDownPixels pixels = ReadTopDownPixels(texture);
        DeleteObject(texture);
        ASSERT_EQ(pixels.width, kTextureSide);
        ASSERT_EQ(pixels.height, kTextureSide);
        // Every pixel shows its quadrant, except next to the quadrant borders (where the scaling
        // blends neighbours) and on the two outermost rings: the scaling samples at pixel centres,
        // so there it blends the picture's edge with the grey underneath (Wine's GDI+; Windows'
        // default pixel offset mode blends the edges alike). The outermost ring must still show picture.
        size_t exact = 0, checked = 0;
        for (int y = 2; y < kTextureSide - 2; ++y) {
            for (int x = 2; x < kTextureSide - 2; ++x) {
                if (std::abs(x - 512) <= 2 || std::abs(y - 512) <= 2) continue;
                ++checked;
                exact += pixels.At(x, y) == QuadrantAt(x * 500 / 1024, y * 500 / 1024);
            }
        }
        EXPECT_EQ(exact, checked);
        for (int i = 0; i < kTextureSide; ++i) {
            SCOPED_TRACE(i);
            EXPECT_GT(pixels.At(0, i) >> 24, kGrey >> 24) << "the picture reaches the left edge";
            EXPECT_GT(pixels.At(i, 0) >> 24, kGrey >> 24) << "the picture reaches the top edge";
            EXPECT_GT(pixels.At(kTextureSide - 1, i) >> 24, kGrey >> 24) << "the picture reaches the right edge";
            EXPECT_GT(pixels.At(i, kTextureSide - 1) >> 24, kGrey >> 24) << "the picture reaches the bottom edge";
        }
    }
}

TEST_F(TexturePictureTest, MemoryPictureGivesTheSameSquareAsTheFile) {
    HBITMAP fromFile = LoadTexturePictureFile(m_stripesFile.c_str(), kAspectKeep);
    HBITMAP fromMemory = LoadTexturePictureMemory(m_stripes.data(), m_stripes.size(), kAspectKeep);
    ASSERT_NE(fromMemory, nullptr);
    EXPECT_EQ(ReadTopDownPixels(fromMemory).pixels, ReadTopDownPixels(fromFile).pixels);
    DeleteObject(fromFile);
    DeleteObject(fromMemory);
}

// A file that does not decode is no picture to show: the display moves on to the next one. The
// same bytes in memory (only the program's own sample pictures come that way) give the grey square.
TEST_F(TexturePictureTest, BadPictureFilesGiveNoTextureAndBadBytesTheGreySquare) {
    for (const BadPicture& bad : BadPictures()) {
        SCOPED_TRACE(bad.what);
        const std::wstring path = m_folder / L"bad.txt";
        ASSERT_TRUE(WriteFileBytes(path, bad.bytes));
        EXPECT_EQ(LoadTexturePictureFile(path.c_str(), kAspectKeepAndStretch), nullptr);

        HBITMAP fromMemory = LoadTexturePictureMemory(bad.bytes.data(), bad.bytes.size(), kAspectKeep);
        ExpectPlainGrey(fromMemory);
        DeleteObject(fromMemory);
    }
}

TEST_F(TexturePictureTest, UnreadableFilesGiveNoHandle) {
    const std::wstring missing = m_folder / L"missing.png";
    EXPECT_EQ(LoadTexturePictureFile(missing.c_str(), kAspectKeep), nullptr);
    EXPECT_EQ(LoadTexturePictureFile(m_folder.Path().c_str(), kAspectKeep), nullptr) << "a folder";

    // A sparse file one byte over the largest picture file the program reads.
    const std::wstring huge = m_folder / L"huge.jpg";
    HANDLE file = CreateFileW(huge.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    LARGE_INTEGER size;
    size.QuadPart = static_cast<LONGLONG>(kMaxPictureFileBytes) + 1;
    ASSERT_TRUE(SetFilePointerEx(file, size, nullptr, FILE_BEGIN));
    ASSERT_TRUE(SetEndOfFile(file));
    CloseHandle(file);
    HBITMAP texture = reinterpret_cast<HBITMAP>(0xdeadbeef);
    const std::vector<SeenMessageBox> boxes = RunAnsweringMessageBoxes(
        [&] { texture = LoadTexturePictureFile(huge.c_str(), kAspectKeep); }, kMessageBoxTimeoutMs);
    EXPECT_EQ(texture, nullptr);
    EXPECT_TRUE(boxes.empty()) << "a file that cannot be read fails silently";
}

TEST_F(TexturePictureTest, MemoryThatCannotBeBlockedShowsTheLoadMessage) {
    const struct {
        const char* what;
        const void* bytes;
        size_t count;
    } cases[] = {
        {"more bytes than the program reads", m_stripes.data(), static_cast<size_t>(kMaxPictureFileBytes) + 1},
        {"no bytes at all", nullptr, 1000},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.what);
        HBITMAP texture = reinterpret_cast<HBITMAP>(0xdeadbeef);
        const std::vector<SeenMessageBox> boxes = RunAnsweringMessageBoxes(
            [&] { texture = LoadTexturePictureMemory(testCase.bytes, testCase.count, kAspectKeep); },
            kMessageBoxTimeoutMs);
        EXPECT_EQ(texture, nullptr);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].caption, kDefaultMessageCaption);
        EXPECT_EQ(boxes[0].text, L"Fehler beim Laden: Memar\n");
    }
}

}  // namespace
