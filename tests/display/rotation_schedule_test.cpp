#include "display/rotation_schedule.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

struct Change {
    int tick;
    int index;  // -1 for a sample rotation
};

// Drives a schedule the way the worker does: one pass per tick; the list is built on the pass
// that asks for it and then holds `pictureCount` pictures until the next rebuild.
class Worker {
public:
    Worker(int source, int pictureCount, int interval) : m_source(source), m_count(pictureCount), m_interval(interval) {}

    void Run(int ticks) {
        for (int i = 0; i < ticks; ++i) Pass();
    }
    void Pass(bool rebuildRequested = false) {
        ++m_tick;
        const RotationSchedule::Pass pass =
            m_schedule.Tick(m_source, m_listCount, m_interval, rebuildRequested);
        if (pass.rotateSamples) changes.push_back({m_tick, -1});
        if (pass.pictureIndex >= 0) changes.push_back({m_tick, pass.pictureIndex});
        if (pass.rebuildLists) {
            rebuilds.push_back(m_tick);
            m_listCount = m_source == 0 ? 0 : m_count;
        }
    }
    // Passes slept through: they only advance the tick count.
    void Skip(int passes) { m_tick += passes; }
    int ListCount() const { return m_listCount; }
    void SetSource(int source) { m_source = source; }
    void SetPictureCount(int count) { m_count = count; }

    RotationSchedule m_schedule;
    std::vector<Change> changes;
    std::vector<int> rebuilds;

private:
    int m_source, m_count, m_interval;
    int m_tick = 0;
    int m_listCount = 0;  // the list as last built
};

// Ticks between one change and the next: "about one second" is 10 or 11 passes of 0.1 s
// (strictly more than the threshold, with the clock kept in single precision).
void ExpectGaps(const std::vector<Change>& changes, size_t from, size_t to, int low, int high) {
    for (size_t i = from; i < to && i < changes.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "change " << i);
        const int gap = changes[i].tick - changes[i - 1].tick;
        EXPECT_GE(gap, low);
        EXPECT_LE(gap, high);
    }
}

TEST(RotationSchedule, FolderOfThreePictures) {
    Worker worker(1, 3, 10);
    worker.Run(500);
    EXPECT_EQ(worker.rebuilds, std::vector<int>{1});
    ASSERT_GE(worker.changes.size(), 8u);
    // The first pass builds the lists; the second hands over the picture at index 1.
    EXPECT_EQ(worker.changes[0].tick, 2);
    std::vector<int> indexes;
    for (const Change& change : worker.changes) indexes.push_back(change.index);
    EXPECT_EQ(std::vector<int>(indexes.begin(), indexes.begin() + 8), (std::vector<int>{1, 2, 0, 1, 2, 0, 1, 2}));
    ExpectGaps(worker.changes, 1, 4, 10, 11);     // three more, a second apart
    ExpectGaps(worker.changes, 4, 8, 100, 101);  // then every ten seconds
}

TEST(RotationSchedule, OnePictureIsHandedOverAgainAtEveryChange) {
    Worker worker(2, 1, 5);
    worker.Run(200);
    ASSERT_GE(worker.changes.size(), 6u);
    for (const Change& change : worker.changes) EXPECT_EQ(change.index, 0);
    ExpectGaps(worker.changes, 4, worker.changes.size(), 50, 51);
}

TEST(RotationSchedule, SamplePicturesChangeEveryTwoIntervals) {
    Worker worker(0, 0, 10);
    worker.Run(1000);
    EXPECT_EQ(worker.rebuilds, std::vector<int>{1});
    ASSERT_GE(worker.changes.size(), 8u);
    for (const Change& change : worker.changes) EXPECT_EQ(change.index, -1);
    // The very first pass rotates (the last change lies far in the past) and then rebuilds,
    // which starts the four quick changes.
    EXPECT_EQ(worker.changes[0].tick, 1);
    ExpectGaps(worker.changes, 1, 5, 10, 11);
    ExpectGaps(worker.changes, 5, 8, 200, 201);
}

TEST(RotationSchedule, SourceChangeRebuildsAtOnceAndRestartsTheQuickChanges) {
    Worker worker(1, 3, 10);
    worker.Run(300);
    const size_t before = worker.changes.size();
    worker.SetSource(2);
    worker.SetPictureCount(4);
    worker.Pass();
    EXPECT_EQ(worker.rebuilds.back(), 301);
    worker.Run(100);
    ASSERT_GE(worker.changes.size(), before + 4);
    // The four changes after the rebuild come a second apart again.
    EXPECT_LE(worker.changes[before].tick - 301, 101);
    ExpectGaps(worker.changes, before + 1, before + 4, 10, 11);
}

TEST(RotationSchedule, EmptyListWaitsForARebuildRequest) {
    Worker worker(2, 0, 10);
    worker.Run(300);
    EXPECT_TRUE(worker.changes.empty());
    EXPECT_EQ(worker.rebuilds, std::vector<int>{1});

    worker.SetPictureCount(2);
    worker.Pass(true);
    EXPECT_EQ(worker.rebuilds, (std::vector<int>{1, 301}));
    worker.Run(5);
    ASSERT_EQ(worker.changes.size(), 1u);
    EXPECT_EQ(worker.changes[0].tick, 302);
}

TEST(RotationSchedule, IntervalIsReadAtEveryPass) {
    RotationSchedule schedule;
    int ticks = 0;
    int changes = 0;
    // Quick phase first.
    while (changes < 5) {
        ++ticks;
        if (schedule.Tick(1, 5, 60, false).pictureIndex >= 0) ++changes;
    }
    // With 60 s nothing happens for a while; after the interval drops to 5 s the next change
    // comes at the 5-second mark.
    int sinceLast = 0;
    for (; sinceLast < 30; ++sinceLast) ASSERT_LT(schedule.Tick(1, 5, 60, false).pictureIndex, 0);
    while (schedule.Tick(1, 5, 5, false).pictureIndex < 0) ++sinceLast;
    EXPECT_GE(sinceLast + 1, 50);
    EXPECT_LE(sinceLast + 1, 51);
}

TEST(RotationSchedule, RestartQuickChanges) {
    Worker worker(1, 3, 30);
    worker.Run(600);
    worker.m_schedule.RestartQuickChanges();
    EXPECT_EQ(worker.m_schedule.ChangeCount(), 0);
    const size_t before = worker.changes.size();
    worker.Run(400);
    ASSERT_GE(worker.changes.size(), before + 4);
    ExpectGaps(worker.changes, before + 1, before + 4, 10, 11);
}

// A worker that sleeps through the quiet passes and makes up for them gets the very changes, at
// the very passes, of one that ticks every pass: for samples, a folder, one picture, an empty list
// and a long interval, through the quick changes and well beyond.
TEST(RotationSchedule, SleepingThroughTheQuietPassesChangesAtTheSamePasses) {
    const struct { int source, count, interval; } rows[] = {{0, 0, 10}, {1, 3, 10}, {2, 1, 5}, {2, 0, 10}, {1, 7, 60}};
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "source " << row.source << ", " << row.count << " pictures, interval "
                                        << row.interval);
        constexpr int kPasses = 3000;
        Worker ticking(row.source, row.count, row.interval);
        ticking.Run(kPasses);

        Worker sleeping(row.source, row.count, row.interval);
        int wakeUps = 0;
        for (int pass = 0; pass < kPasses;) {
            // As the thread does: sleep through the quiet passes (never beyond the end here),
            // then make one full pass.
            const int quiet =
                std::min(sleeping.m_schedule.QuietPasses(row.source, sleeping.ListCount(), row.interval, 600),
                         kPasses - pass - 1);
            sleeping.m_schedule.AdvanceQuietly(quiet);
            sleeping.Skip(quiet);
            sleeping.Pass();
            pass += quiet + 1;
            ++wakeUps;
        }
        EXPECT_EQ(sleeping.rebuilds, ticking.rebuilds);
        ASSERT_EQ(sleeping.changes.size(), ticking.changes.size());
        for (size_t i = 0; i < ticking.changes.size(); ++i) {
            SCOPED_TRACE(testing::Message() << "change " << i);
            EXPECT_EQ(sleeping.changes[i].tick, ticking.changes[i].tick);
            EXPECT_EQ(sleeping.changes[i].index, ticking.changes[i].index);
        }
        EXPECT_EQ(sleeping.m_schedule.Clock(), ticking.m_schedule.Clock());
        // It woke once per change (and once a minute when nothing comes), not ten times a second.
        EXPECT_LE(wakeUps, static_cast<int>(ticking.changes.size() + ticking.rebuilds.size()) + kPasses / 600 + 1);
    }
}

TEST(RotationSchedule, NoPassIsQuietWhenTheSourceChangedOrAChangeIsDueNext) {
    RotationSchedule schedule;
    // Before the first pass the lists of the source are still to be built.
    EXPECT_EQ(schedule.QuietPasses(1, 0, 10, 600), 0);
    schedule.Tick(1, 0, 10, false);
    // An empty list never changes: as many quiet passes as asked for.
    EXPECT_EQ(schedule.QuietPasses(1, 0, 10, 600), 600);
    // Another source rebuilds at the next pass.
    EXPECT_EQ(schedule.QuietPasses(2, 0, 10, 600), 0);
    // With pictures the first change comes at once (the last one lies far back).
    EXPECT_EQ(schedule.QuietPasses(1, 3, 10, 600), 0);
    ASSERT_EQ(schedule.Tick(1, 3, 10, false).pictureIndex, 1);
    // The next quick change comes about a second later: the passes before it are quiet.
    RotationSchedule ticking = schedule;
    int passesBefore = 0;
    while (ticking.Tick(1, 3, 10, false).pictureIndex < 0) ++passesBefore;
    EXPECT_GE(passesBefore, 9);
    EXPECT_LE(passesBefore, 10);
    EXPECT_EQ(schedule.QuietPasses(1, 3, 10, 600), passesBefore);
    EXPECT_EQ(schedule.QuietPasses(1, 3, 10, 4), 4);
}

}  // namespace
