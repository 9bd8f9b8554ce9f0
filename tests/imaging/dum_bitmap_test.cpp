#include "imaging/bitmap32.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "imaging_test_support.h"

namespace {

void SetPixel(CDumBitmap& bitmap, int column, int row, uint32_t pixel) {
    std::memcpy(bitmap.Bits() + static_cast<size_t>(row) * bitmap.Description().bmWidthBytes + column * 4, &pixel, 4);
}

// Runs `task` on a thread of its own and answers the message boxes it shows.
std::vector<SeenMessageBox> AnswerBoxesOf(const std::function<void()>& task) {
    return RunAnsweringMessageBoxes(task, kMessageBoxTimeoutMs);
}

TEST(CDumBitmap, CreateMakesABottomUp32BitSectionAndFillWritesEveryPixel) {
    CDumBitmap bitmap;
    void* bits = reinterpret_cast<void*>(0xdeadbeef);
    EXPECT_TRUE(AnswerBoxesOf([&] { bitmap.Create(256, 256, &bits); }).empty());
    ASSERT_NE(bitmap.Handle(), nullptr);
    EXPECT_EQ(bits, bitmap.Bits());
    EXPECT_EQ(bitmap.Width(), 256);
    EXPECT_EQ(bitmap.Height(), 256);
    EXPECT_EQ(bitmap.Description().bmBitsPixel, 32);
    EXPECT_EQ(bitmap.Description().bmWidthBytes, 256 * 4);

    DIBSECTION section{};
    ASSERT_EQ(GetObjectW(bitmap.Handle(), sizeof(section), &section), static_cast<int>(sizeof(section)));
    EXPECT_GT(section.dsBmih.biHeight, 0) << "bitmaps made here are bottom-up";

    bitmap.Fill(0xFF000000);
    const uint8_t* bytes = bitmap.Bits();
    int opaqueBlack = 0;
    for (int i = 0; i < 256 * 256; ++i) {
        opaqueBlack += bytes[i * 4] == 0 && bytes[i * 4 + 1] == 0 && bytes[i * 4 + 2] == 0 && bytes[i * 4 + 3] == 0xFF;
    }
    EXPECT_EQ(opaqueBlack, 65536);
    DeleteObject(bitmap.Detach());
}

TEST(CDumBitmap, PixelAtWrapsAroundInMemoryRows) {
    CDumBitmap bitmap;
    bitmap.Create(4, 3);
    ASSERT_NE(bitmap.Bits(), nullptr);
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 4; ++column) SetPixel(bitmap, column, row, 0x01000000u * (row + 1) + column);
    }
    const struct {
        int x, y;
        uint32_t expected;
    } cases[] = {
        {0, 0, 0x01000000},  {3, 2, 0x03000003},  {4, 0, 0x01000000},   {5, 1, 0x02000001},
        {-1, 0, 0x01000003}, {0, -1, 0x03000000}, {-5, -4, 0x03000003}, {400001, 300002, 0x03000001},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(std::to_string(testCase.x) + ", " + std::to_string(testCase.y));
        EXPECT_EQ(bitmap.PixelAt(testCase.x, testCase.y), testCase.expected);
    }
    DeleteObject(bitmap.Detach());
}

TEST(CDumBitmap, EmptyObjectReadsZeroAndTouchesNothing) {
    CDumBitmap bitmap;
    EXPECT_EQ(bitmap.PixelAt(0, 0), 0u);
    EXPECT_EQ(bitmap.PixelAt(-3, 7), 0u);
    bitmap.Fill(0xFFFFFFFF);
    bitmap.MakeOpaque();
    bitmap.SetAlphaOfColoured(1);
    EXPECT_EQ(bitmap.Handle(), nullptr);
    EXPECT_EQ(bitmap.Detach(), nullptr);
}

TEST(CDumBitmap, AlphaOperations) {
    const struct {
        uint32_t before, afterSetAlpha128, afterMakeOpaque;
    } cases[] = {
        {0x00000000, 0x00000000, 0xFF000000},  // black and transparent stays as it is
        {0x7F000000, 0x7F000000, 0xFF000000},  // black keeps its alpha
        {0x00010000, 0x80010000, 0xFF010000},  // red = 1 is coloured
        {0x00000100, 0x80000100, 0xFF000100}, {0x00000001, 0x80000001, 0xFF000001},
        {0xFFFFFFFF, 0x80FFFFFF, 0xFFFFFFFF}, {0x12345678, 0x80345678, 0xFF345678},
    };
    CDumBitmap bitmap;
    bitmap.Create(static_cast<int>(std::size(cases)), 2);
    ASSERT_NE(bitmap.Bits(), nullptr);
    for (int column = 0; column < bitmap.Width(); ++column) {
        for (int row = 0; row < 2; ++row) SetPixel(bitmap, column, row, cases[column].before);
    }
    bitmap.SetAlphaOfColoured(128);
    for (int column = 0; column < bitmap.Width(); ++column) {
        SCOPED_TRACE(column);
        EXPECT_EQ(bitmap.PixelAt(column, 0), cases[column].afterSetAlpha128);
        EXPECT_EQ(bitmap.PixelAt(column, 1), cases[column].afterSetAlpha128);
    }
    for (int column = 0; column < bitmap.Width(); ++column) SetPixel(bitmap, column, 1, cases[column].before);
    bitmap.MakeOpaque();
    for (int column = 0; column < bitmap.Width(); ++column) {
        SCOPED_TRACE(column);
        EXPECT_EQ(bitmap.PixelAt(column, 1), cases[column].afterMakeOpaque);
    }
    DeleteObject(bitmap.Detach());
}

TEST(CDumBitmap, CreateAgainDeletesTheOldHandleButNotADetachedOne) {
    CDumBitmap bitmap;
    bitmap.Create(8, 8);
    const HBITMAP first = bitmap.Handle();
    ASSERT_EQ(GetObjectType(first), static_cast<DWORD>(OBJ_BITMAP));
    bitmap.Create(8, 8);
    EXPECT_EQ(GetObjectType(first), 0u) << "the first handle is deleted by the second Create";

    const HBITMAP detached = bitmap.Detach();
    ASSERT_EQ(GetObjectType(detached), static_cast<DWORD>(OBJ_BITMAP));
    bitmap.Create(8, 8);
    EXPECT_EQ(GetObjectType(detached), static_cast<DWORD>(OBJ_BITMAP)) << "a detached handle belongs to the caller";
    DeleteObject(detached);

    // Destruction keeps the handle: whoever holds it elsewhere deletes it.
    HBITMAP kept = nullptr;
    {
        CDumBitmap scoped;
        scoped.Create(4, 4);
        kept = scoped.Handle();
    }
    EXPECT_EQ(GetObjectType(kept), static_cast<DWORD>(OBJ_BITMAP));
    DeleteObject(kept);
    DeleteObject(bitmap.Detach());
}

TEST(CDumBitmap, FailedCreateShowsBothMessagesAndLeavesAnEmptyObject) {
    const struct {
        int width, height;
        const wchar_t* sizeText;
    } cases[] = {
        {0, 0, L"0 x 0"}, {-5, 10, L"-5 x 10"}, {100000, 100000, L"100000 x 100000"},  // 40 GB of pixels
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.sizeText);
        CDumBitmap bitmap;
        bitmap.Create(16, 16);
        const HBITMAP before = bitmap.Handle();
        const std::vector<SeenMessageBox> boxes =
            AnswerBoxesOf([&] { bitmap.Create(testCase.width, testCase.height); });
        ASSERT_EQ(boxes.size(), 2u);
        EXPECT_EQ(boxes[0].caption, L"dib-err");
        EXPECT_EQ(boxes[0].text, testCase.sizeText);
        EXPECT_EQ(boxes[1].caption, L"Err");
        EXPECT_EQ(boxes[1].text, L"WidthBytes: 0 bmWidth:0 bmBitsPixel:0");

        EXPECT_EQ(bitmap.Handle(), nullptr);
        EXPECT_EQ(GetObjectType(before), 0u) << "the failed Create still let go of the old bitmap";
        EXPECT_EQ(bitmap.Width(), 0);
        EXPECT_EQ(bitmap.PixelAt(1, 1), 0u);
        bitmap.Fill(0xFFFFFFFF);
        bitmap.MakeOpaque();
    }
}

TEST(CDumBitmap, AttachingABitmapWithoutPixelMemoryShowsErr) {
    HBITMAP deviceBitmap = CreateBitmap(8, 4, 1, 32, nullptr);
    ASSERT_NE(deviceBitmap, nullptr);
    CDumBitmap bitmap;
    const std::vector<SeenMessageBox> boxes = AnswerBoxesOf([&] { bitmap.Attach(deviceBitmap); });
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, L"Err");
    EXPECT_EQ(boxes[0].text, L"WidthBytes: 32 bmWidth:8 bmBitsPixel:32");
    EXPECT_EQ(bitmap.PixelAt(0, 0), 0u);
    EXPECT_EQ(bitmap.Width(), 0);
    EXPECT_EQ(bitmap.Detach(), deviceBitmap);
    DeleteObject(deviceBitmap);
}

}  // namespace
