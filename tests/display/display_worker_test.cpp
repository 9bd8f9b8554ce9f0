#include "display/display_worker.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <mutex>

#include "common/process_flags.h"
#include "common/test_files.h"
#include "display/placeholder_picture.h"
#include "lang/language_archive.h"

namespace {

// Stands in for the display: records what the worker hands over and owns the placeholders.
class RecordingHost : public DisplayWorkerHost {
public:
    ~RecordingHost() override {
        for (HBITMAP placeholder : placeholders) DeleteObject(placeholder);
    }
    int PictureSource() const override { return source; }
    int IntervalSeconds() const override { return 10; }
    std::vector<std::wstring> BuildPictureList(int listSource) override {
        std::lock_guard<std::mutex> guard(lock);
        builtSources.push_back(listSource);
        return pictures;
    }
    void ShowPlaceholder(HBITMAP placeholder) override {
        std::lock_guard<std::mutex> guard(lock);
        placeholders.push_back(placeholder);
    }
    void ShowPicture(const std::wstring& path) override {
        std::lock_guard<std::mutex> guard(lock);
        shown.push_back(path);
    }
    void RotateSamples() override {
        std::lock_guard<std::mutex> guard(lock);
        ++rotations;
    }

    std::atomic<int> source{1};
    std::vector<std::wstring> pictures;
    mutable std::mutex lock;
    std::vector<int> builtSources;
    std::vector<HBITMAP> placeholders;
    std::vector<std::wstring> shown;
    int rotations = 0;
};

class DisplayWorkerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // The stand-in texts come from the language archive of the built program.
        const char* program = std::getenv("ORBELIN_EXE");
        ASSERT_NE(program, nullptr);
        ASSERT_TRUE(LoadLanguageArchiveFromFile(WindowsPathFromHost(program)));
        SetCurrentLanguageIndex(kLanguageEnglish);
    }
    void SetUp() override { g_pictureListRebuildRequest = false; }
};

TEST_F(DisplayWorkerTest, FolderOfThreePicturesTickByTick) {
    RecordingHost host;
    host.pictures = {L"Z:\\a.png", L"Z:\\b.png", L"Z:\\c.png"};
    DisplayWorker worker;

    worker.RunPass(host);  // builds the list behind the loading picture
    EXPECT_EQ(host.builtSources, std::vector<int>{1});
    EXPECT_EQ(host.placeholders.size(), 1u);
    EXPECT_TRUE(host.shown.empty());

    worker.RunPass(host);  // the index moves on before it is used
    EXPECT_EQ(host.shown, std::vector<std::wstring>{L"Z:\\b.png"});
    for (int pass = 0; pass < 40; ++pass) worker.RunPass(host);
    EXPECT_EQ(host.shown, (std::vector<std::wstring>{L"Z:\\b.png", L"Z:\\c.png", L"Z:\\a.png", L"Z:\\b.png"}));
    EXPECT_EQ(host.placeholders.size(), 1u);
}

TEST_F(DisplayWorkerTest, EmptyListShowsTheEmptyPictureUntilARebuildIsRequested) {
    RecordingHost host;
    host.source = 2;
    DisplayWorker worker;
    for (int pass = 0; pass < 30; ++pass) worker.RunPass(host);
    EXPECT_EQ(host.placeholders.size(), 2u);  // loading, then empty
    EXPECT_EQ(host.builtSources, std::vector<int>{2});
    EXPECT_TRUE(host.shown.empty());

    host.pictures = {L"Z:\\new.jpg"};
    g_pictureListRebuildRequest = true;
    worker.RunPass(host);
    EXPECT_FALSE(g_pictureListRebuildRequest);
    EXPECT_EQ(host.builtSources, (std::vector<int>{2, 2}));
    EXPECT_EQ(host.placeholders.size(), 3u);
    worker.RunPass(host);
    EXPECT_EQ(host.shown, std::vector<std::wstring>{L"Z:\\new.jpg"});
}

TEST_F(DisplayWorkerTest, SamplePicturesRotateWithoutLists) {
    RecordingHost host;
    host.source = 0;
    DisplayWorker worker;
    for (int pass = 0; pass < 50; ++pass) worker.RunPass(host);
    EXPECT_TRUE(host.builtSources.empty());
    EXPECT_TRUE(host.placeholders.empty());
    EXPECT_EQ(host.rotations, 5);  // the first pass, then four a second apart
}

TEST_F(DisplayWorkerTest, StandInPictureIsOpaqueWithCentredGreenText) {
    CDumBitmap bitmap;
    HBITMAP picture = MakePlaceholderPicture(bitmap, LoadingPlaceholderText());
    ASSERT_NE(picture, nullptr);
    ASSERT_EQ(bitmap.Width(), 256);
    int top = 256, bottom = -1, left = 256, right = -1;
    for (int row = 0; row < 256; ++row) {
        for (int column = 0; column < 256; ++column) {
            const uint32_t pixel = bitmap.PixelAt(column, row);
            ASSERT_EQ(pixel >> 24, 0xFFu) << "not opaque at " << column << "," << row;
            if ((pixel & 0x00FFFFFF) == 0) continue;
            EXPECT_EQ(pixel & 0x00FF00FF, 0u) << "only green is drawn";
            top = std::min(top, row);
            bottom = std::max(bottom, row);
            left = std::min(left, column);
            right = std::max(right, column);
        }
    }
    ASSERT_GE(bottom, 0) << "no text drawn";
    // The text block (which starts with an empty line) sits in the middle both ways; rows are
    // counted bottom-up here, which does not change the balance.
    EXPECT_NEAR(left, 255 - right, 4);
    EXPECT_GT(bottom - top, 20);  // several lines
    EXPECT_NEAR((top + bottom) / 2, 128, 20);
    DeleteObject(bitmap.Detach());
    EXPECT_EQ(LoadingPlaceholderText(), L"\nIndividual picture selection\n\nThe images are loaded");
}

TEST_F(DisplayWorkerTest, ThreadDeliversAndStopsWhenAsked) {
    RecordingHost host;
    host.pictures = {L"Z:\\a.png", L"Z:\\b.png"};
    DisplayWorker worker;
    ASSERT_TRUE(worker.Start(host));
    for (int wait = 0; wait < 100; ++wait) {
        {
            std::lock_guard<std::mutex> guard(host.lock);
            if (!host.shown.empty()) break;
        }
        Sleep(50);
    }
    EXPECT_TRUE(worker.IsRunning());
    EXPECT_TRUE(worker.Stop(2000)) << "the worker had to be ended by force";
    EXPECT_FALSE(worker.IsRunning());
    std::lock_guard<std::mutex> guard(host.lock);
    EXPECT_EQ(host.placeholders.size(), 1u);
    ASSERT_FALSE(host.shown.empty());
    EXPECT_EQ(host.shown[0], L"Z:\\b.png");
}

}  // namespace
