#include "display/display_worker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <mutex>

#include "common/built_program_languages.h"
#include "common/process_flags.h"
#include "common/test_files.h"
#include "display/placeholder_picture.h"
#include "lang/language_archive.h"

namespace {

// A search that finds `perSlice` of its pictures with each slice, in the order given, and stops a
// slice when it is abandoned.
class SlicedSearch : public PictureSearch {
public:
    SlicedSearch(std::vector<std::wstring> pictures, size_t perSlice)
        : m_pictures(std::move(pictures)), m_perSlice(perSlice) {}
    bool Continue(const SearchSlice& slice, std::vector<std::wstring>& found) override {
        for (size_t taken = 0; taken < m_perSlice && m_next < m_pictures.size(); ++taken) {
            if (slice.abandon && slice.abandon()) return false;
            found.push_back(m_pictures[m_next++]);
        }
        return m_next == m_pictures.size();
    }

private:
    std::vector<std::wstring> m_pictures;
    size_t m_perSlice;
    size_t m_next = 0;
};

// Stands in for the display: records what the worker hands over and owns the placeholders.
class RecordingHost : public DisplayWorkerHost {
public:
    ~RecordingHost() override {
        for (HBITMAP placeholder : placeholders) DeleteObject(placeholder);
    }
    int PictureSource() const override { return source; }
    int IntervalSeconds() const override { return 10; }
    bool ShufflePictures() const override { return shuffle.load(); }
    std::unique_ptr<PictureSearch> StartPictureSearch(int listSource) override {
        std::lock_guard<std::mutex> guard(lock);
        builtSources.push_back(listSource);
        if (picturesPerSlice > 0) return std::make_unique<SlicedSearch>(pictures, picturesPerSlice);
        return std::make_unique<FixedPictureSearch>(pictures);
    }
    void ShowPlaceholder(HBITMAP placeholder) override {
        std::lock_guard<std::mutex> guard(lock);
        placeholders.push_back(placeholder);
    }
    bool ShowPicture(const std::wstring& path) override {
        std::lock_guard<std::mutex> guard(lock);
        tried.push_back(path);
        if (path.find(L"broken") != std::wstring::npos) return false;
        shown.push_back(path);
        return true;
    }
    void RotateSamples() override {
        std::lock_guard<std::mutex> guard(lock);
        ++rotations;
    }
    bool TakeOwnRebuildRequest() override {
        ++passes;  // every pass asks once
        return ownRebuildRequest.exchange(false);
    }
    bool IsShown() const override { return seen.load(); }

    std::atomic<int> source{1};
    std::atomic<bool> shuffle{false};
    std::vector<std::wstring> pictures;
    size_t picturesPerSlice = 0;  // 0: the whole list at once
    mutable std::mutex lock;
    std::vector<int> builtSources;
    std::vector<HBITMAP> placeholders;
    std::vector<std::wstring> shown;
    std::vector<std::wstring> tried;  // every hand-over, also those of files that did not decode
    int rotations = 0;
    std::atomic<bool> ownRebuildRequest{false};
    std::atomic<bool> seen{true};  // whether the display is shown
    std::atomic<int> passes{0};
};

// Asks `condition` every 10 ms until it holds or `timeoutMs` passed; returns its last answer.
bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(10);
    }
    return true;
}

// Runs passes until the host has been handed `count` pictures in all (at most `passLimit`
// passes); returns whether it got there.
bool RunUntilShown(DisplayWorker& worker, RecordingHost& host, size_t count, int passLimit = 100000) {
    for (int pass = 0; pass < passLimit && host.shown.size() < count; ++pass) worker.RunPass(host);
    return host.shown.size() >= count;
}

std::vector<std::wstring> NumberedPictures(int count) {
    std::vector<std::wstring> pictures;
    for (int i = 0; i < count; ++i) pictures.push_back(L"Z:\\photo " + std::to_wstring(1000 + i) + L".jpg");
    return pictures;
}

// Whether shown[from .. from + count - 1] holds each of `pictures` exactly once.
bool IsEachOnce(const std::vector<std::wstring>& shown, size_t from, std::vector<std::wstring> pictures) {
    if (from + pictures.size() > shown.size()) return false;
    std::vector<std::wstring> cycle(shown.begin() + from, shown.begin() + from + pictures.size());
    std::sort(cycle.begin(), cycle.end());
    std::sort(pictures.begin(), pictures.end());
    return cycle == pictures;
}

class DisplayWorkerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // The stand-in texts come from the language archive of the built program.
        ASSERT_TRUE(LoadBuiltProgramArchive()) << "the archive of the program named by ORBELIN_EXE";
        SetCurrentLanguageIndex(kLanguageEnglish);
    }
    void TearDown() override { g_stopFlag = false; }
};

TEST_F(DisplayWorkerTest, FolderOfThreePicturesTickByTick) {
    RecordingHost host;
    host.pictures = {L"Z:\\a.png", L"Z:\\b.png", L"Z:\\c.png"};
    DisplayWorker worker;

    // The first pass builds the list behind the loading picture and shows the first picture at
    // once.
    worker.RunPass(host);
    EXPECT_EQ(host.builtSources, std::vector<int>{1});
    EXPECT_EQ(host.placeholders.size(), 1u);
    EXPECT_EQ(host.shown, std::vector<std::wstring>{L"Z:\\a.png"});

    // The next three come a second apart, then one every interval.
    for (int pass = 0; pass < 40; ++pass) worker.RunPass(host);
    EXPECT_EQ(host.shown, (std::vector<std::wstring>{L"Z:\\a.png", L"Z:\\b.png", L"Z:\\c.png", L"Z:\\a.png"}));
    for (int pass = 0; pass < 90; ++pass) worker.RunPass(host);
    EXPECT_EQ(host.shown.size(), 4u) << "a change before the interval of 10 seconds";
    for (int pass = 0; pass < 15; ++pass) worker.RunPass(host);
    EXPECT_EQ(host.shown.back(), L"Z:\\b.png");
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
    RequestPictureListRebuild();
    worker.RunPass(host);
    EXPECT_EQ(host.builtSources, (std::vector<int>{2, 2}));
    EXPECT_EQ(host.placeholders.size(), 3u);
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
    EXPECT_EQ(host.shown[0], L"Z:\\a.png");
}

// Two displays, one worker each: a request of the settings dialog reaches both, whichever looks
// first, also when one of them shows the sample pictures; a display's own request (its render
// target reopened) reaches only that display.
TEST_F(DisplayWorkerTest, EveryDisplaySeesEveryRebuildRequest) {
    RecordingHost samples;
    samples.source = 0;
    RecordingHost folder;
    folder.pictures = {L"Z:\\a.png"};
    DisplayWorker samplesWorker;
    DisplayWorker folderWorker;
    for (int pass = 0; pass < 5; ++pass) {
        samplesWorker.RunPass(samples);
        folderWorker.RunPass(folder);
    }
    ASSERT_EQ(folder.builtSources, std::vector<int>{1});

    folder.pictures = {L"Z:\\new folder\\b.png"};
    RequestPictureListRebuild();
    samplesWorker.RunPass(samples);  // the sample display looks first
    folderWorker.RunPass(folder);
    EXPECT_EQ(folder.builtSources, (std::vector<int>{1, 1})) << "the folder display missed the new folder";
    // A request is taken once; the new folder's picture comes with the next change.
    for (int pass = 0; pass < 15; ++pass) folderWorker.RunPass(folder);
    EXPECT_EQ(folder.builtSources.size(), 2u);
    EXPECT_EQ(folder.shown.back(), L"Z:\\new folder\\b.png");

    RecordingHost other;
    other.pictures = {L"Z:\\c.png"};
    DisplayWorker otherWorker;
    otherWorker.RunPass(other);
    folder.ownRebuildRequest = true;
    folderWorker.RunPass(folder);
    otherWorker.RunPass(other);
    EXPECT_EQ(folder.builtSources.size(), 3u);
    EXPECT_EQ(other.builtSources.size(), 1u) << "another display's own request rebuilt this one";
}

// Files listed by their headers whose data do not decode: the change skips to the next picture
// in the same pass and the file leaves the list, so no grey square is ever shown for it.
TEST_F(DisplayWorkerTest, PicturesThatDoNotDecodeAreSkippedAndDropped) {
    RecordingHost host;
    host.pictures = {L"Z:\\a.png", L"Z:\\b broken.jpg", L"Z:\\c broken.jpg", L"Z:\\d.png", L"Z:\\e broken.jpg"};
    DisplayWorker worker;
    worker.RunPass(host);  // the list, and a at once
    for (int pass = 0; pass < 15; ++pass) worker.RunPass(host);
    // At the next change b and c fail, and d is shown in the same pass.
    EXPECT_EQ(host.tried,
              (std::vector<std::wstring>{L"Z:\\a.png", L"Z:\\b broken.jpg", L"Z:\\c broken.jpg", L"Z:\\d.png"}));
    EXPECT_EQ(host.shown, (std::vector<std::wstring>{L"Z:\\a.png", L"Z:\\d.png"}));
    EXPECT_EQ(worker.Pictures(), (std::vector<std::wstring>{L"Z:\\a.png", L"Z:\\d.png", L"Z:\\e broken.jpg"}));

    for (int pass = 0; pass < 25; ++pass) worker.RunPass(host);
    // e fails at its turn and the rotation goes on with a; only the pictures are ever shown.
    EXPECT_EQ(host.shown, (std::vector<std::wstring>{L"Z:\\a.png", L"Z:\\d.png", L"Z:\\a.png", L"Z:\\d.png"}));
    EXPECT_EQ(worker.Pictures(), (std::vector<std::wstring>{L"Z:\\a.png", L"Z:\\d.png"}));
    EXPECT_EQ(host.placeholders.size(), 1u) << "only the loading picture";
}

TEST_F(DisplayWorkerTest, AListOfNothingButBrokenFilesEndsOnTheEmptyPicture) {
    RecordingHost host;
    host.pictures = {L"Z:\\one broken.jpg", L"Z:\\two broken.jpg"};
    DisplayWorker worker;
    for (int pass = 0; pass < 30; ++pass) worker.RunPass(host);
    EXPECT_TRUE(host.shown.empty());
    EXPECT_EQ(host.tried.size(), 2u) << "each broken file is tried once";
    EXPECT_TRUE(worker.Pictures().empty());
    EXPECT_EQ(host.placeholders.size(), 2u) << "loading, then the empty picture";
}

// A hidden display decodes nothing: the schedule goes on, and the picture due when the display
// shows again is the one handed over then.
TEST_F(DisplayWorkerTest, AHiddenDisplayDecodesOnlyWhenItShowsAgain) {
    RecordingHost host;
    host.pictures = {L"Z:\\a.png", L"Z:\\b.png", L"Z:\\c.png"};
    DisplayWorker worker;
    worker.RunPass(host);
    worker.RunPass(host);
    ASSERT_EQ(host.tried, std::vector<std::wstring>{L"Z:\\a.png"});

    host.seen = false;
    for (int pass = 0; pass < 25; ++pass) worker.RunPass(host);  // b and c fall due meanwhile
    EXPECT_EQ(host.tried.size(), 1u) << "a hidden display decoded pictures";
    EXPECT_EQ(worker.Pictures().size(), 3u);

    host.seen = true;
    worker.RunPass(host);
    EXPECT_EQ(host.tried, (std::vector<std::wstring>{L"Z:\\a.png", L"Z:\\c.png"}))
        << "the picture due is shown at once";
    // The rotation goes on from there.
    for (int pass = 0; pass < 12; ++pass) worker.RunPass(host);
    EXPECT_EQ(host.tried.back(), L"Z:\\a.png");
}

// A list that takes several passes to search: the first picture found is shown at once, the
// rotation goes on with what was found so far, and the complete list is in its order of showing.
TEST_F(DisplayWorkerTest, ASearchOfSeveralPassesShowsItsFirstPictureAtOnce) {
    RecordingHost host;
    host.pictures = {L"Z:\\m.png", L"Z:\\c.png", L"Z:\\x.png", L"Z:\\a.png", L"Z:\\q.png", L"Z:\\b.png"};
    host.picturesPerSlice = 1;
    DisplayWorker worker;
    worker.RunPass(host);
    EXPECT_TRUE(worker.IsSearching());
    EXPECT_EQ(host.shown, std::vector<std::wstring>{L"Z:\\m.png"}) << "the first picture found waited for the search";
    EXPECT_EQ(host.placeholders.size(), 1u);
    for (int pass = 0; pass < 4; ++pass) worker.RunPass(host);
    EXPECT_TRUE(worker.IsSearching());
    EXPECT_EQ(worker.Pictures().size(), 5u);
    worker.RunPass(host);
    EXPECT_FALSE(worker.IsSearching());
    EXPECT_EQ(worker.Pictures(), (std::vector<std::wstring>{L"Z:\\a.png", L"Z:\\b.png", L"Z:\\c.png", L"Z:\\m.png",
                                                            L"Z:\\q.png", L"Z:\\x.png"}));
    EXPECT_EQ(host.builtSources, std::vector<int>{1});
    EXPECT_EQ(host.placeholders.size(), 1u) << "no empty picture while the search ran";
}

// The slice that finds the first picture ends there, and the picture shows at once; the search
// goes on with the next passes.
TEST_F(DisplayWorkerTest, TheSliceThatFindsTheFirstPictureEndsWithIt) {
    RecordingHost host;
    host.pictures = {L"Z:\\m.png", L"Z:\\c.png", L"Z:\\x.png", L"Z:\\a.png", L"Z:\\q.png", L"Z:\\b.png"};
    host.picturesPerSlice = 3;
    DisplayWorker worker;
    worker.RunPass(host);
    EXPECT_EQ(worker.Pictures(), std::vector<std::wstring>{L"Z:\\m.png"})
        << "the slice went on after the first picture";
    EXPECT_EQ(host.shown, std::vector<std::wstring>{L"Z:\\m.png"});
    worker.RunPass(host);
    EXPECT_EQ(worker.Pictures().size(), 4u);
    worker.RunPass(host);
    EXPECT_FALSE(worker.IsSearching());
    EXPECT_EQ(worker.Pictures().size(), 6u);
    EXPECT_EQ(host.shown.size(), 1u) << "a picture was shown before its time";
}

// A new source or a rebuild request abandons a running search: the next pass starts anew.
TEST_F(DisplayWorkerTest, ARebuildRequestOrANewSourceAbandonsASearch) {
    RecordingHost host;
    std::vector<std::wstring> many;
    for (int i = 0; i < 100; ++i) many.push_back(L"Z:\\picture " + std::to_wstring(i) + L".png");
    host.pictures = many;
    host.picturesPerSlice = 3;
    DisplayWorker worker;
    worker.RunPass(host);
    worker.RunPass(host);
    ASSERT_TRUE(worker.IsSearching());

    host.pictures = {L"Z:\\other.png"};
    RequestPictureListRebuild();
    worker.RunPass(host);
    EXPECT_EQ(host.builtSources, (std::vector<int>{1, 1}));
    EXPECT_FALSE(worker.IsSearching());
    EXPECT_EQ(worker.Pictures(), std::vector<std::wstring>{L"Z:\\other.png"});

    host.pictures = many;
    RequestPictureListRebuild();
    worker.RunPass(host);
    ASSERT_TRUE(worker.IsSearching());
    host.source = 2;
    worker.RunPass(host);
    EXPECT_EQ(host.builtSources, (std::vector<int>{1, 1, 1, 2}));
}

TEST_F(DisplayWorkerTest, TheProgramsStopFlagEndsTheThread) {
    RecordingHost host;
    DisplayWorker worker;
    ASSERT_TRUE(worker.Start(host));
    Sleep(150);
    g_stopFlag = true;
    bool ended = false;
    for (int wait = 0; wait < 40 && !ended; ++wait) {
        Sleep(25);
        ended = !worker.IsRunning();
    }
    EXPECT_TRUE(ended) << "the worker kept running after the program's stop flag was set";
}

// With nothing due (a list without pictures) the thread sleeps instead of passing every 100 ms;
// it makes its next pass at once when its display wakes it, and ends at once when asked.
TEST_F(DisplayWorkerTest, TheThreadSleepsUntilSomethingIsDueOrItIsWoken) {
    RecordingHost host;
    DisplayWorker worker;
    ASSERT_TRUE(worker.Start(host));
    const auto builds = [&] {
        std::lock_guard<std::mutex> guard(host.lock);
        return host.builtSources.size();
    };
    const auto standIns = [&] {
        std::lock_guard<std::mutex> guard(host.lock);
        return host.placeholders.size();
    };
    // Loading, then empty.
    ASSERT_TRUE(WaitFor([&] { return builds() == 1 && standIns() == 2; }, 5000)) << "the list was not built";
    const int passesBefore = host.passes;
    Sleep(1500);
    EXPECT_LE(host.passes - passesBefore, 2) << "the thread kept passing with nothing due";

    // The display switched to the individual list and says so.
    host.source = 2;
    const DWORD wokenAt = GetTickCount();
    worker.Wake();
    EXPECT_TRUE(WaitFor([&] { return builds() == 2; }, 1000)) << "the woken thread did not rebuild";
    EXPECT_LT(GetTickCount() - wokenAt, 1000u);

    const DWORD stopAt = GetTickCount();
    EXPECT_TRUE(worker.Stop(2000)) << "the sleeping thread had to be ended by force";
    EXPECT_LT(GetTickCount() - stopAt, 1000u);
}

}  // namespace

namespace {

// The same list with shuffle off and on: off, the sorted order as always; on, each cycle shows
// every picture once, and no picture comes twice in a row, also where one cycle meets the next.
TEST_F(DisplayWorkerTest, ShuffleShowsEveryPictureOncePerCycleAndOffKeepsTheSortedOrder) {
    constexpr int kCycles = 6;
    struct Row {
        int source;  // 1 folder, 2 individual list
        int count;
    };
    const Row rows[] = {{1, 1}, {1, 2}, {1, 3}, {1, 5}, {1, 30}, {2, 2}, {2, 32}};
    for (const Row& row : rows) {
        const int count = row.count;
        for (const bool shuffle : {false, true}) {
            SCOPED_TRACE(testing::Message()
                         << "source " << row.source << ", " << count << " pictures, shuffle " << shuffle);
            RecordingHost host;
            host.source = row.source;
            host.shuffle = shuffle;
            // Found in another order than the sorted one.
            std::vector<std::wstring> sorted = NumberedPictures(count);
            host.pictures = sorted;
            std::reverse(host.pictures.begin(), host.pictures.end());
            DisplayWorker worker;
            ASSERT_TRUE(RunUntilShown(worker, host, static_cast<size_t>(count) * kCycles));
            if (!shuffle) {
                for (size_t i = 0; i < host.shown.size(); ++i) {
                    ASSERT_EQ(host.shown[i], sorted[i % count]) << "change " << i;
                }
                continue;
            }
            for (int cycle = 0; cycle < kCycles; ++cycle) {
                EXPECT_TRUE(IsEachOnce(host.shown, static_cast<size_t>(cycle) * count, sorted)) << "cycle " << cycle;
            }
            if (count >= 2) {
                for (size_t i = 1; i < host.shown.size(); ++i) {
                    EXPECT_NE(host.shown[i], host.shown[i - 1]) << "change " << i;
                }
            }
            if (count >= 5) {
                const std::vector<std::wstring> inSortedOrder(host.shown.begin(), host.shown.begin() + count);
                std::vector<std::wstring> allCycles(host.shown.begin(), host.shown.end());
                std::vector<std::wstring> sortedCycles;
                for (int cycle = 0; cycle < kCycles; ++cycle)
                    sortedCycles.insert(sortedCycles.end(), sorted.begin(), sorted.end());
                EXPECT_NE(allCycles, sortedCycles) << "six cycles in sorted order are no shuffle";
            }
            // The schedule is the same either way: one list, the quick changes, one loading picture.
            EXPECT_EQ(host.builtSources, std::vector<int>{row.source});
            EXPECT_EQ(host.placeholders.size(), 1u);
        }
    }
}

// Shuffle changes which picture comes, never when: the first four changes after the list is
// built come a second apart, then one every interval, as with the sorted order.
TEST_F(DisplayWorkerTest, ShuffleKeepsTheQuickFirstChanges) {
    for (const bool shuffle : {false, true}) {
        SCOPED_TRACE(testing::Message() << "shuffle " << shuffle);
        RecordingHost host;
        host.shuffle = shuffle;
        host.pictures = NumberedPictures(8);
        DisplayWorker worker;
        std::vector<int> changePasses;
        for (int pass = 0; pass < 260; ++pass) {
            const size_t before = host.shown.size();
            worker.RunPass(host);
            if (host.shown.size() > before) changePasses.push_back(pass);
        }
        // The first at once, three a second apart, then every ten seconds.
        ASSERT_GE(changePasses.size(), 6u);
        EXPECT_EQ(changePasses[0], 0);
        for (size_t i = 1; i < changePasses.size(); ++i) {
            SCOPED_TRACE(testing::Message() << "change " << i);
            const int gap = changePasses[i] - changePasses[i - 1];
            if (i < 4) {
                EXPECT_GE(gap, 10);
                EXPECT_LE(gap, 11);
            } else {
                EXPECT_GE(gap, 100);
                EXPECT_LE(gap, 101);
            }
        }
    }
}

// The pictures shown while a long search ran open the first shuffled cycle: none of them comes
// again before every other picture has come.
TEST_F(DisplayWorkerTest, PicturesShownDuringTheSearchOpenTheFirstShuffledCycle) {
    RecordingHost host;
    host.shuffle = true;
    const std::vector<std::wstring> pictures = NumberedPictures(40);
    host.pictures = pictures;
    std::reverse(host.pictures.begin(), host.pictures.end());
    host.picturesPerSlice = 1;  // forty passes: changes come while the search runs
    DisplayWorker worker;
    for (int pass = 0; pass < 45; ++pass) worker.RunPass(host);
    ASSERT_FALSE(worker.IsSearching());
    ASSERT_GE(host.shown.size(), 3u) << "no change came while the search ran";
    ASSERT_TRUE(RunUntilShown(worker, host, pictures.size() * 2));
    EXPECT_TRUE(IsEachOnce(host.shown, 0, pictures));
    EXPECT_TRUE(IsEachOnce(host.shown, pictures.size(), pictures));
}

// A file that does not decode leaves the shuffled cycle; the cycle goes on with the pictures it
// has not shown, and every later cycle holds each picture that shows once.
TEST_F(DisplayWorkerTest, AShuffledCycleSkipsPicturesThatDoNotDecode) {
    RecordingHost host;
    host.shuffle = true;
    std::vector<std::wstring> good = NumberedPictures(9);
    host.pictures = good;
    host.pictures.push_back(L"Z:\\photo 1003 broken.jpg");
    host.pictures.push_back(L"Z:\\photo 1007 broken.jpg");
    DisplayWorker worker;
    ASSERT_TRUE(RunUntilShown(worker, host, good.size() * 4));
    for (size_t cycle = 0; cycle < 4; ++cycle) {
        EXPECT_TRUE(IsEachOnce(host.shown, cycle * good.size(), good)) << "cycle " << cycle;
    }
    EXPECT_EQ(worker.Pictures(), good);
    EXPECT_EQ(host.tried.size(), host.shown.size() + 2) << "each broken file is tried once";
}

// Turned on while the display runs, the cycle counts the picture on show as shown; turned off,
// the sorted order carries on after the picture on show.
TEST_F(DisplayWorkerTest, ShuffleTurnedOnAndOffWhileTheDisplayRuns) {
    RecordingHost host;
    const std::vector<std::wstring> pictures = NumberedPictures(12);
    host.pictures = pictures;
    DisplayWorker worker;
    ASSERT_TRUE(RunUntilShown(worker, host, 5));
    EXPECT_EQ(host.shown.back(), pictures[4]);

    host.shuffle = true;
    const size_t onShow = host.shown.size() - 1;
    ASSERT_TRUE(RunUntilShown(worker, host, onShow + pictures.size() * 2));
    EXPECT_TRUE(IsEachOnce(host.shown, onShow, pictures)) << "the picture on show came again in its cycle";
    EXPECT_TRUE(IsEachOnce(host.shown, onShow + pictures.size(), pictures));

    host.shuffle = false;
    const std::wstring last = host.shown.back();
    const size_t lastPosition = std::find(pictures.begin(), pictures.end(), last) - pictures.begin();
    const size_t before = host.shown.size();
    ASSERT_TRUE(RunUntilShown(worker, host, before + pictures.size()));
    for (size_t i = 0; i < pictures.size(); ++i) {
        EXPECT_EQ(host.shown[before + i], pictures[(lastPosition + 1 + i) % pictures.size()]) << "change " << i;
    }
}

// Changes that fall due while the display is hidden cost the cycle nothing: the picture shown
// when it shows again is the next of the cycle, and the cycle still holds every picture once.
TEST_F(DisplayWorkerTest, AHiddenDisplayLosesNoPictureOfItsShuffledCycle) {
    RecordingHost host;
    host.shuffle = true;
    const std::vector<std::wstring> pictures = NumberedPictures(6);
    host.pictures = pictures;
    DisplayWorker worker;
    ASSERT_TRUE(RunUntilShown(worker, host, 2));
    host.seen = false;
    for (int pass = 0; pass < 400; ++pass) worker.RunPass(host);  // several changes fall due
    EXPECT_EQ(host.shown.size(), 2u);
    host.seen = true;
    ASSERT_TRUE(RunUntilShown(worker, host, pictures.size() * 2));
    EXPECT_TRUE(IsEachOnce(host.shown, 0, pictures));
    EXPECT_TRUE(IsEachOnce(host.shown, pictures.size(), pictures));
}

}  // namespace
