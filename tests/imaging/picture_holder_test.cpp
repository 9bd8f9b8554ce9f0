#include "imaging/picture_holder.h"

#include <gtest/gtest.h>

#include "bad_pictures.h"
#include "common/test_files.h"
#include "imaging/bitmap32.h"
#include "imaging_test_support.h"

namespace {

constexpr uint32_t kRed = 0xFFFF0000, kBlue = 0xFF0000FF;

class PictureHolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(
            WriteFileBytes(m_picture, MakePngBytes(300, 200, [](int x, int) { return x < 150 ? kRed : kBlue; })));
    }
    TestFolder m_folder{L"holder"};
    std::wstring m_picture = m_folder / L"red_left_blue_right_300x200.png";
};

TEST_F(PictureHolderTest, LoadsAFileAndReportsItsSize) {
    PictureHolder holder;
    EXPECT_EQ(holder.Width(), 0u);
    EXPECT_TRUE(holder.LoadFile(m_picture.c_str()));
    ASSERT_NE(holder.Image(), nullptr);
    EXPECT_EQ(holder.Width(), 300u);
    EXPECT_EQ(holder.Height(), 200u);
    holder.Release();
    EXPECT_EQ(holder.Image(), nullptr);
    EXPECT_EQ(holder.Width(), 0u);
}

TEST_F(PictureHolderTest, MissingFileKeepsTheHeldPicture) {
    PictureHolder holder;
    ASSERT_TRUE(holder.LoadFile(m_picture.c_str()));
    const std::wstring missing = m_folder / L"missing.png";
    EXPECT_FALSE(holder.LoadFile(missing.c_str()));
    EXPECT_EQ(holder.Width(), 300u);
    EXPECT_EQ(holder.Height(), 200u);
}

TEST_F(PictureHolderTest, BadPicturesLoadAsNoPicture) {
    PictureHolder holder;
    for (const BadPicture& bad : BadPictures()) {
        SCOPED_TRACE(bad.what);
        const std::wstring path = m_folder / L"bad.bin";
        ASSERT_TRUE(WriteFileBytes(path, bad.bytes));
        ASSERT_TRUE(holder.LoadFile(m_picture.c_str()));
        EXPECT_TRUE(holder.LoadFile(path.c_str()));
        EXPECT_EQ(holder.Image(), nullptr);
        EXPECT_EQ(holder.Width(), 0u);
        EXPECT_EQ(holder.Height(), 0u);
    }
}

TEST_F(PictureHolderTest, FileLargerThanTheProgramReadsLoadsAsNoPicture) {
    // A sparse file of 300 MB: larger than any picture file the program reads into memory.
    const std::wstring path = m_folder / L"huge.png";
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    const std::vector<uint8_t> start = PngClaimingSize(100, 100);
    DWORD written = 0;
    WriteFile(file, start.data(), static_cast<DWORD>(start.size()), &written, nullptr);
    LARGE_INTEGER size;
    size.QuadPart = 300ll * 1024 * 1024;
    ASSERT_TRUE(SetFilePointerEx(file, size, nullptr, FILE_BEGIN));
    ASSERT_TRUE(SetEndOfFile(file));
    CloseHandle(file);

    PictureHolder holder;
    ASSERT_TRUE(holder.LoadFile(m_picture.c_str()));
    EXPECT_TRUE(holder.LoadFile(path.c_str()));
    EXPECT_EQ(holder.Image(), nullptr);
}

TEST_F(PictureHolderTest, LoadsAPictureFromTheModulesResources) {
    PictureHolder holder;
    // Resource names and types compare without regard to case.
    EXPECT_TRUE(holder.LoadResource(L"test_header_picture", L"png", GetModuleHandleW(nullptr)));
    ASSERT_NE(holder.Image(), nullptr);
    EXPECT_EQ(holder.Width(), 320u);
    EXPECT_EQ(holder.Height(), 320u);
}

TEST_F(PictureHolderTest, MissingResourceEmptiesTheHolder) {
    PictureHolder holder;
    ASSERT_TRUE(holder.LoadFile(m_picture.c_str()));
    EXPECT_FALSE(holder.LoadResource(L"NO_SUCH_PICTURE", L"PNG", GetModuleHandleW(nullptr)));
    EXPECT_EQ(holder.Image(), nullptr);
    EXPECT_EQ(holder.Width(), 0u);
}

TEST_F(PictureHolderTest, DrawToScalesIntoTheRectangleThroughTheColourMatrix) {
    PictureHolder holder;
    ASSERT_TRUE(holder.LoadFile(m_picture.c_str()));

    static const float kSwapRedAndBlue[25] = {0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0,
                                              0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1};
    const struct {
        const char* what;
        const float* matrix;
        uint32_t left, right;
    } cases[] = {{"identity", nullptr, kRed, kBlue}, {"red and blue swapped", kSwapRedAndBlue, kBlue, kRed}};
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.what);
        CDumBitmap target;
        target.Create(100, 60);
        target.Fill(0xFF00FF00);
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ previous = SelectObject(dc, target.Handle());
        const RECT rect{10, 5, 90, 45};
        EXPECT_TRUE(holder.DrawTo(dc, rect, holder.Image(), testCase.matrix));
        SelectObject(dc, previous);
        DeleteDC(dc);

        const TopDownPixels pixels = ReadTopDownPixels(target.Handle());
        ASSERT_EQ(pixels.width, 100);
        EXPECT_EQ(pixels.At(20, 25), testCase.left);
        EXPECT_EQ(pixels.At(80, 25), testCase.right);
        EXPECT_EQ(pixels.At(5, 25), 0xFF00FF00u) << "outside the rectangle";
        EXPECT_EQ(pixels.At(50, 2), 0xFF00FF00u) << "above the rectangle";
        EXPECT_EQ(pixels.At(50, 50), 0xFF00FF00u) << "below the rectangle";
        DeleteObject(target.Detach());
    }
}

TEST_F(PictureHolderTest, HoldersWorkOnSeveralThreads) {
    std::vector<std::thread> threads;
    std::atomic<int> sized{0};
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 5; ++i) {
                PictureHolder holder;
                if (holder.LoadFile(m_picture.c_str()) && holder.Width() == 300 && holder.Height() == 200) ++sized;
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(sized.load(), 20);
}

}  // namespace
