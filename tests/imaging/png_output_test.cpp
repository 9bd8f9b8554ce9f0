#include "imaging/png_output.h"

#include <gtest/gtest.h>

#include <cstring>

#include "common/test_files.h"
#include "imaging/bitmap32.h"
#include "imaging_test_support.h"

namespace {

// The class id GDI+ gives its PNG encoder, on Windows and on Wine.
const CLSID kPngEncoder = {0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};

TEST(FindEncoder, ComparesMimeTypesExactly) {
    const struct {
        const wchar_t* mimeType;
        bool found;
    } cases[] = {
        {L"image/png", true},  {L"image/jpeg", true}, {L"image/bmp", true},   {L"IMAGE/PNG", false},
        {L"Image/png", false}, {L"image/pn", false},  {L"image/png ", false}, {L"", false},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.mimeType);
        CLSID classId;
        std::memset(&classId, 0xde, sizeof(classId));
        CLSID untouched = classId;
        const int index = FindEncoder(testCase.mimeType, &classId);
        if (testCase.found) {
            EXPECT_GE(index, 0);
            EXPECT_NE(std::memcmp(&classId, &untouched, sizeof(classId)), 0);
        } else {
            EXPECT_EQ(index, -1);
            EXPECT_EQ(std::memcmp(&classId, &untouched, sizeof(classId)), 0);
        }
    }
    CLSID png{};
    ASSERT_GE(FindEncoder(L"image/png", &png), 0);
    EXPECT_TRUE(IsEqualCLSID(png, kPngEncoder));
}

TEST(SavePng, SetsAlphaOfColouredPixelsAndKeepsTheBackgroundTransparent) {
    TestFolder folder(L"png");
    const std::wstring path = folder / L"frame.png";

    CDumBitmap frame;
    frame.Create(40, 30);
    frame.Fill(0x00000000);
    // Coloured pixels with alpha 0, addressed by memory row (this bitmap is bottom-up, but the
    // PNG takes rows in memory order).
    const struct {
        int x, y;
        uint32_t pixel;
    } coloured[] = {{1, 0, 0x00FF0000}, {39, 29, 0x00FFFFFF}, {20, 10, 0x00000001}, {5, 25, 0x33123456}};
    for (const auto& mark : coloured) {
        std::memcpy(frame.Bits() + mark.y * frame.Description().bmWidthBytes + mark.x * 4, &mark.pixel, 4);
    }

    EXPECT_TRUE(SavePng(frame.Handle(), path.c_str(), 200));
    ASSERT_EQ(GetObjectType(frame.Handle()), static_cast<DWORD>(OBJ_BITMAP)) << "the caller keeps the bitmap";
    EXPECT_EQ(frame.PixelAt(1, 0), 0xC8FF0000u) << "the source pixels take the alpha too";

    const TopDownPixels png = DecodeWithGdiplus(path);
    ASSERT_EQ(png.width, 40);
    ASSERT_EQ(png.height, 30);
    size_t transparent = 0;
    for (uint32_t pixel : png.pixels) transparent += (pixel >> 24) == 0;
    EXPECT_EQ(transparent, png.pixels.size() - std::size(coloured));
    for (const auto& mark : coloured) {
        SCOPED_TRACE(std::to_string(mark.x) + ", " + std::to_string(mark.y));
        EXPECT_EQ(png.At(mark.x, mark.y), 0xC8000000u | (mark.pixel & 0xFFFFFF));
    }
    DeleteObject(frame.Detach());
}

TEST(SavePng, NothingIsWrittenWithoutABitmap) {
    TestFolder folder(L"png");
    const std::wstring path = folder / L"none.png";
    bool saved = true;
    const std::vector<SeenMessageBox> boxes =
        RunAnsweringMessageBoxes([&] { saved = SavePng(nullptr, path.c_str(), 255); }, kMessageBoxTimeoutMs);
    EXPECT_FALSE(saved);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, L"Err");
    EXPECT_FALSE(FileExists(path));
}

}  // namespace
