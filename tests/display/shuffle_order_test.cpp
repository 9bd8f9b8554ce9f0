#include "display/shuffle_order.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

namespace {

// The next `count` pictures of the order.
std::vector<int> Take(ShuffleOrder& order, int count) {
    std::vector<int> taken;
    for (int i = 0; i < count; ++i) taken.push_back(order.Next());
    return taken;
}

bool IsEveryPositionOnce(std::vector<int> cycle, int count) {
    std::sort(cycle.begin(), cycle.end());
    for (int position = 0; position < count; ++position) {
        if (cycle[position] != position) return false;
    }
    return static_cast<int>(cycle.size()) == count;
}

TEST(ShuffleOrderTest, EveryPictureOncePerCycleAndNoRepeatAcrossCycles) {
    struct Row {
        int count;
        uint64_t seed;
    };
    const Row rows[] = {{1, 1}, {2, 1}, {2, 77}, {3, 5}, {4, 9}, {7, 12345}, {30, 3}, {100, 42}, {257, 2026}};
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "pictures " << row.count << ", seed " << row.seed);
        ShuffleOrder order(row.seed);
        order.Start(row.count);
        constexpr int kCycles = 60;
        std::set<std::vector<int>> distinctCycles;
        int previousLast = -1;
        for (int cycle = 0; cycle < kCycles; ++cycle) {
            SCOPED_TRACE(testing::Message() << "cycle " << cycle);
            const std::vector<int> shown = Take(order, row.count);
            EXPECT_TRUE(IsEveryPositionOnce(shown, row.count));
            if (row.count >= 2 && previousLast >= 0) {
                EXPECT_NE(shown.front(), previousLast);
            }
            previousLast = shown.back();
            distinctCycles.insert(shown);
        }
        // A new cycle is a new random order: with two pictures the rule leaves only the one that
        // keeps alternating; from three on, sixty cycles that all came out alike are no shuffle.
        if (row.count == 2) {
            EXPECT_EQ(distinctCycles.size(), 1u);
        }
        if (row.count >= 3) {
            EXPECT_GT(distinctCycles.size(), 1u);
        }
        if (row.count >= 30) {
            EXPECT_GE(distinctCycles.size(), static_cast<size_t>(kCycles - 1));
        }
    }
}

TEST(ShuffleOrderTest, OrdersAreNotTheSortedOrderAndDependOnTheSeed) {
    ShuffleOrder first(1), second(2);
    first.Start(30);
    second.Start(30);
    const std::vector<int> firstCycle = Take(first, 30);
    const std::vector<int> secondCycle = Take(second, 30);
    std::vector<int> sorted(30);
    for (int i = 0; i < 30; ++i) sorted[i] = i;
    EXPECT_NE(firstCycle, sorted);
    EXPECT_NE(firstCycle, secondCycle);

    ShuffleOrder again(1);
    again.Start(30);
    EXPECT_EQ(Take(again, 30), firstCycle);
}

TEST(ShuffleOrderTest, EveryPictureComesFirstAndLastSometimes) {
    // A fair shuffle puts each picture at each place about equally often; a biased one (a swap
    // with any place instead of the places not yet fixed) leaves some places to few pictures.
    constexpr int kCount = 5;
    constexpr int kCycles = 5000;
    ShuffleOrder order(99);
    order.Start(kCount);
    int atPlace[kCount][kCount] = {};
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        const std::vector<int> shown = Take(order, kCount);
        for (int place = 0; place < kCount; ++place) ++atPlace[place][shown[place]];
    }
    for (int place = 0; place < kCount; ++place) {
        for (int picture = 0; picture < kCount; ++picture) {
            SCOPED_TRACE(testing::Message() << "place " << place << ", picture " << picture);
            // 1000 expected; the rule against a repeat at the boundary shifts the first and last
            // places a little.
            EXPECT_GT(atPlace[place][picture], 750);
            EXPECT_LT(atPlace[place][picture], 1250);
        }
    }
}

TEST(ShuffleOrderTest, AnEmptyListGivesNoPicture) {
    ShuffleOrder order;
    EXPECT_EQ(order.Next(), -1);
    order.Start(0);
    EXPECT_EQ(order.Next(), -1);
    order.Start(-3);
    EXPECT_EQ(order.Next(), -1);
    order.Start(1);
    EXPECT_EQ(Take(order, 4), (std::vector<int>{0, 0, 0, 0}));
}

TEST(ShuffleOrderTest, PicturesShownAlreadyOpenTheCycle) {
    struct Row {
        int count;
        std::vector<int> shown;
        std::vector<int> opening;  // what the cycle counts as shown, in order
    };
    const Row rows[] = {
        {10, {4}, {4}},
        {10, {4, 7, 1}, {4, 7, 1}},
        {10, {4, 4, 12, -1, 7}, {4, 7}},  // repeats and positions outside the list are left out
        {3, {2, 0, 1}, {2, 0, 1}},        // all shown: the next picture opens a new cycle
        {5, {}, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "pictures " << row.count << ", shown " << row.shown.size());
        ShuffleOrder order(7);
        order.StartAfter(row.count, row.shown);
        EXPECT_EQ(order.ShownInCycle(), static_cast<int>(row.opening.size()));
        const int rest = row.count - static_cast<int>(row.opening.size());
        std::vector<int> cycle = row.opening;
        const std::vector<int> restShown = Take(order, rest);
        cycle.insert(cycle.end(), restShown.begin(), restShown.end());
        EXPECT_TRUE(IsEveryPositionOnce(cycle, row.count));
        // The next cycle does not open with the last picture of this one.
        EXPECT_NE(order.Next(), cycle.back());
    }
}

TEST(ShuffleOrderTest, APictureThatLeavesTheListLeavesTheCycle) {
    struct Row {
        int count;
        int shownBefore;   // pictures of the cycle shown before one leaves
        int leavingPlace;  // place in the cycle of the picture that leaves
    };
    const Row rows[] = {{10, 3, 0}, {10, 3, 2}, {10, 3, 3}, {10, 3, 9}, {10, 0, 0}, {10, 10, 5}, {2, 1, 1}, {1, 1, 0}};
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "pictures " << row.count << ", shown " << row.shownBefore << ", leaving "
                                        << row.leavingPlace);
        // The same seed twice: the first run tells which picture has which place.
        ShuffleOrder probe(31);
        probe.Start(row.count);
        const std::vector<int> placeOrder = Take(probe, row.count);
        const int leaving = placeOrder[row.leavingPlace];

        ShuffleOrder order(31);
        order.Start(row.count);
        std::vector<int> shown = Take(order, row.shownBefore);
        order.Remove(leaving);
        EXPECT_EQ(order.Count(), row.count - 1);
        // The positions of the list that is left: those after the one that left moved down.
        for (int& position : shown) {
            if (position == leaving)
                position = -1;
            else if (position > leaving)
                --position;
        }
        shown.erase(std::remove(shown.begin(), shown.end(), -1), shown.end());
        if (row.shownBefore == row.count) shown.clear();  // that cycle had ended
        const int rest = order.Count() - static_cast<int>(shown.size());
        const std::vector<int> restShown = Take(order, rest);
        shown.insert(shown.end(), restShown.begin(), restShown.end());
        EXPECT_TRUE(IsEveryPositionOnce(shown, order.Count()));
    }
}

TEST(ShuffleOrderTest, BuildingAnOrderOfManyPicturesTouchesEachOnce) {
    // One cycle of 100,000 pictures: every picture once, and the orders hold positions only.
    constexpr int kCount = 100000;
    ShuffleOrder order(5);
    order.Start(kCount);
    std::vector<bool> seen(kCount, false);
    for (int i = 0; i < kCount; ++i) {
        const int position = order.Next();
        ASSERT_GE(position, 0);
        ASSERT_LT(position, kCount);
        ASSERT_FALSE(seen[position]) << "picture " << position << " twice";
        seen[position] = true;
    }
}

}  // namespace
